#!/usr/bin/env bash
# Starts a private virtual X server with a window manager (openbox), as a user's desktop has one:
# the window manager frames windows, moves them and decides which native window Qt gets.
#
#   eval "$(bash scripts/x-test-server.sh [WIDTHxHEIGHT])"   # start, export the variables below
#   bash scripts/x-test-server.sh stop                       # stop the one started above
#
# Printed on stdout (everything else goes to stderr or the log file):
#   export DISPLAY=:<n>   export QUILLET_X_PIDS="<xvfb pid> <openbox pid>"
#   export QUILLET_X_DIR=<fresh folder with the logs>
#   export XDG_DATA_HOME=<a folder in it>   (the program's record stays out of the user's home)
set -euo pipefail

if [[ "${1:-}" == stop ]]; then
    for pid in ${QUILLET_X_PIDS:-}; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in ${QUILLET_X_PIDS:-}; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    done
    if [[ -n "${QUILLET_X_DIR:-}" && -d "$QUILLET_X_DIR" ]]; then
        rm -rf -- "$QUILLET_X_DIR"
    fi
    exit 0
fi

size=${1:-1024x768}
for tool in Xvfb openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "x-test-server: $tool is missing (bash scripts/setup.sh installs it)" >&2
        exit 1
    fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillet-x.XXXXXX")
# Xvfb picks a free display itself and tells its number through the pipe.
exec {fd}<> <(:)
setsid Xvfb -displayfd "$fd" -screen 0 "${size}x24" -nolisten tcp -noreset \
    </dev/null >"$dir/xvfb.log" 2>&1 &
xpid=$!
display=
if ! read -r -t 10 -u "$fd" display || [[ -z "$display" ]]; then
    echo "x-test-server: Xvfb did not start; its log:" >&2
    cat "$dir/xvfb.log" >&2 || true
    kill "$xpid" 2>/dev/null || true
    rm -rf -- "$dir"
    exit 1
fi
exec {fd}<&-

# The window manager is ready once it owns the screen's manager selection (_NET_SUPPORTING_WM_CHECK
# appears on the root window).
DISPLAY=:$display setsid openbox --sm-disable </dev/null >"$dir/openbox.log" 2>&1 &
wpid=$!
ready=false
for _ in $(seq 100); do
    if DISPLAY=:$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null; then
        ready=true
        break
    fi
    sleep 0.1
done
if ! $ready; then
    echo "x-test-server: openbox did not take the screen within 10 s; its log:" >&2
    cat "$dir/openbox.log" >&2 || true
    kill "$wpid" "$xpid" 2>/dev/null || true
    rm -rf -- "$dir"
    exit 1
fi

printf 'export DISPLAY=%q\n' ":$display"
printf 'export QUILLET_X_PIDS=%q\n' "$xpid $wpid"
printf 'export QUILLET_X_DIR=%q\n' "$dir"
mkdir -p "$dir/data"
printf 'export XDG_DATA_HOME=%q\n' "$dir/data"
# No session or system bus of the user's desktop, and none autolaunched on this display (libdbus
# would start one through dbus-launch, which outlives the test): a test that needs a bus starts
# its own after this.
printf 'export DBUS_SESSION_BUS_ADDRESS=disabled: DBUS_SYSTEM_BUS_ADDRESS=disabled:\n'
