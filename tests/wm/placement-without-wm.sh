#!/usr/bin/env bash
# The real program on an X display without a window manager (a private Xvfb, 1024x768), as in a
# kiosk session or a bare X server: nothing draws a frame, so every window lies exactly where the
# board means its outer rectangle to be, the small window, the size cycle and the help window.
#   bash tests/wm/placement-without-wm.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs Xvfb xdotool xprop xwininfo
begin_run nowm
start_bare_x 1024x768 "$work" || { echo "placement-without-wm: Xvfb did not start" >&2; exit 1; }
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
sanitizer_options
pid=
at_exit '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null'
if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null; then
    echo "placement-without-wm: a window manager runs on the display" >&2
    exit 1
fi

# Quick start into the small window, the countdowns far off.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 >"$work/config/quillet/User.dat"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" "$quillet" \
    >"$work/quillet.log" 2>&1 &
pid=$!

# The rectangle of the visible window named $1 (a pattern) as WxH+X+Y, or nothing.
rect=""
look() {
    local id
    id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | tail -n 1)
    [[ -n "$id" ]] || { rect=""; return 1; }
    rect=$(geometry_of "$id" | awk '{printf "%dx%d+%d+%d", $3, $4, $1, $2}')
}
# Waits up to 5 s for the window named $1 to lie at $2.
expect() {
    local name=$1 at=$2
    holds_within "$pid" 5 'look "$name" && [[ "$rect" == "$at" ]]' || fail "$3 is ${rect:-not there}, not $2"
}
press() { # button offset within the bar of the board at $rect
    local w h x y
    IFS='x+' read -r w h x y <<<"$rect"
    xdotool mousemove $((x + w - 335 + $1 + 15)) $((y + h - 39 + 20)) click 1
}
size_button=136 clock_button=169 help_button=202
board='(Training|Quillet) '

# The small window: its outer rectangle (337 x 63) is the window, placed as the board says.
holds_within "$pid" 20 "look 'Training: '" || true
expect 'Training: ' 337x63+344+364 "the small window"
# The time switch off: the full screen; then Midi, Mini and the full screen again.
press $clock_button
expect "$board" 1024x768+0+0 "the full-screen board"
press $size_button
expect "$board" 870x654+77+57 "Midi"
press $size_button
expect "$board" 337x63+343+352 "Mini"
# The help window: its client area 632 x 373, centred on the screen.
press $help_button
expect 'Hilfe' 632x373+196+197 "the help window"
xdotool key Escape
holds_within "$pid" 5 "! look 'Hilfe'" || fail "the help window does not close with Escape"
look "$board" || true
press $size_button
expect "$board" 1024x768+0+0 "the size cycle's end"

kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
if ((failures > 0)); then
    echo "---- the program's output" >&2
    cat "$work/quillet.log" >&2
    exit 1
fi
echo "placement without a window manager: all checks passed"
