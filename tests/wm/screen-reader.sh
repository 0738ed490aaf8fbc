#!/usr/bin/env bash
# The board as a screen reader sees it: the real program under a window manager (openbox on a
# private Xvfb), on a private session bus with the accessibility bus of at-spi2-core, read and
# worked through AT-SPI by screen-reader.py (python3-pyatspi) and by keys (xdotool).
#   bash tests/wm/screen-reader.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

python=/usr/bin/python3 # Debian's own, which has pyatspi
launcher=/usr/libexec/at-spi-bus-launcher
if ! "$python" -c 'import pyatspi' 2>/dev/null || [[ ! -x "$launcher" ]]; then
    echo "screen-reader: at-spi2-core or python3-pyatspi is missing (scripts/setup.sh)" >&2
    exit 77
fi

begin_run reader
start_x_with_wm 1024x768
sanitizer_options
mkdir -p "$work/home"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
# Quick start into the small window, silent, no reminder during the test.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h1=5 h2=5 \
    >"$work/config/quillet/User.dat"

# A session bus of the run's own; the accessibility bus comes up beside it, as a desktop
# session starts it, and the program finds it through the session bus (org.a11y.Bus).
start_session_bus "$work/runtime" || { echo "FAIL: no session bus" >&2; exit 1; }
pids=()
at_exit 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done'
"$launcher" --launch-immediately >"$work/bus-launcher.log" 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

step "the board starts"
"$quillet" >"$work/quillet.log" 2>&1 &
program=$!
pids+=("$program")
wait_for_window "$program" || fail "the program shows no window"
board=$(windows_of "$program" | head -n 1)
wait_until "$program" '[[ $(wm_state "$board") == Normal ]]' || fail "the board is not shown"

"$python" "$here/screen-reader.py" "$board" "$program" || fail "the screen reader's checks"
kill -0 "$program" 2>/dev/null || fail "the program ended"

step "a prompt is put off through AT-SPI"
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
# The watchdog 3 s after the start, shown for a minute.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h1=5 h2=0 m2=0 s2=3 mS=1 sS=0 \
    >"$work/config/quillet/User.dat"
"$quillet" >>"$work/quillet.log" 2>&1 &
program=$!
pids+=("$program")
wait_for_window "$program" || fail "the program shows no window again"
board=$(windows_of "$program" | head -n 1)
"$python" "$here/screen-reader.py" "$board" "$program" later || fail "\"Später\" through AT-SPI"
kill -0 "$program" 2>/dev/null || fail "the program ended"
if ((failures)); then
    echo "--- logs" >&2
    cat "$work"/*.log >&2 || true
    exit 1
fi
echo "screen-reader: the bar named, the focus moving, a button pressed through AT-SPI," \
    "the instruction announced, the settings window by keyboard, its spin buttons named and" \
    "their values told; a prompt put off by \"Später\" through AT-SPI"
