#!/usr/bin/env bash
# Takes the screenshots of packaging/screenshots from the running program: a fresh user's board
# once it has settled, and the breathing sequence under way. Runs under a private virtual X
# server with a window manager and a private sound server, so it needs no desktop.
#
#   bash scripts/make-screenshots.sh [quillet binary]      (default: build/quillet)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quillet=$(realpath "${1:-$root/build/quillet}")
out=$root/packaging/screenshots

for tool in import xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "make-screenshots: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-shots.XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    bash "$root/scripts/x-test-server.sh" stop || true
    bash "$root/scripts/pulse-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/pulse-test-server.sh")"
eval "$(bash "$root/scripts/x-test-server.sh" 1280x720)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

mkdir -p "$work/config" "$out"
XDG_CONFIG_HOME="$work/config" "$quillet" >"$work/quillet.log" 2>&1 &
pid=$!

# A fresh user first meets the start sequence; afterwards the board waits.
sleep "${QUILLET_SHOT_SETTLE:-30}"
import -window root "$out/board.png"

# The breathing sequence: the first button of the bar at the board's bottom right.
id=$(xdotool search --onlyvisible --class quillet | tail -n 1)
read -r x y w h < <(xwininfo -id "$id" | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print x, y, w, h}')
bar=$((x + w - 337))
xdotool mousemove $((bar + 4 + 15)) $((y + h - 39 + 20)) click 1
sleep "${QUILLET_SHOT_SEQUENCE:-20}"
import -window root "$out/breathing.png"

echo "screenshots: $out" >&2
