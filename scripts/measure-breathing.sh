#!/usr/bin/env bash
# A breathing sequence in the running program under a virtual X server at 1920x1080 with a window
# manager (openbox) and a private sound server: set-up time, press to first picture, and during
# full breathing the CPU share, the wake-ups and the paints per second of the blind, the strip
# and the whole board. Each run measures the board resting on its idle screen the same way right
# before, so the figures stand next to what the program costs doing nothing on the same machine
# at the same time; the medians over all runs close the report.
#   bash scripts/measure-breathing.sh [seconds] [build-dir] [runs]     (20 s, build, 5 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${2:-build}
runs=${3:-5}
probe="$build/bench/quillet_sequence_probe"
[[ -x "$probe" ]] || { echo "measure-breathing: $probe is not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-breathing.XXXXXX")
cleanup() {
    bash scripts/pulse-test-server.sh stop >/dev/null 2>&1 || true
    bash scripts/x-test-server.sh stop >/dev/null 2>&1 || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash scripts/x-test-server.sh 1920x1080)"
eval "$(bash scripts/pulse-test-server.sh)"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

wm_window=$(xprop -root _NET_SUPPORTING_WM_CHECK | awk '{print $NF}')
wm=$(xprop -id "$wm_window" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"/\1/p')
echo "virtual X server at 1920x1080, window manager: ${wm:-none}; $runs runs of $seconds s each"

# The number after `label` in a probe's line ("CPU 0.85 %" gives 0.85 for "CPU").
figure() { sed -n "s/.*$2 \([0-9.-]*\).*/\1/p" <<<"$1"; }
median() { sort -g | awk '{v[NR] = $1} END {print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

for ((run = 1; run <= runs; run++)); do
    idle=$("$probe" idle "$seconds" 2>"$work/idle-$run.err" | grep '^idle board')
    out=$("$probe" "$seconds" 2>"$work/breathing-$run.err")
    breathing=$(grep '^full breathing' <<<"$out")
    setup=$(grep '^set-up' <<<"$out")
    first=$(grep '^press to the first' <<<"$out")
    echo "run $run: $idle"
    echo "run $run: $breathing"
    echo "run $run: $setup; $first"
    {
        echo "idle_cpu $(figure "$idle" CPU)"
        echo "idle_wakeups $(figure "$idle" wakeups)"
        echo "idle_board $(figure "$idle" board)"
        echo "cpu $(figure "$breathing" CPU)"
        echo "wakeups $(figure "$breathing" wakeups)"
        echo "blind $(figure "$breathing" blind)"
        echo "strip $(figure "$breathing" strip)"
        echo "board $(figure "$breathing" board)"
        echo "setup $(figure "$setup" sequence:)"
        echo "first $(figure "$first" painted:)"
    } >>"$work/figures"
done

m() { awk -v k="$1" '$1 == k {print $2}' "$work/figures" | median; }
echo
echo "medians of $runs runs ($seconds s each, 1920x1080, window manager ${wm:-none}):"
printf '  %-16s %8s %11s %16s %16s %16s\n' "" "CPU %" "wakeups/s" "blind paints/s" "strip paints/s" "board paints/s"
printf '  %-16s %8s %11s %16s %16s %16s\n' "idle board" "$(m idle_cpu)" "$(m idle_wakeups)" "-" "-" "$(m idle_board)"
printf '  %-16s %8s %11s %16s %16s %16s\n' "full breathing" "$(m cpu)" "$(m wakeups)" "$(m blind)" "$(m strip)" "$(m board)"
echo "  set-up of the sequence $(m setup) ms, press to the first picture painted $(m first) ms"
