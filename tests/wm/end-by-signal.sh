#!/usr/bin/env bash
# The session ends (logout sends SIGTERM) while the settings window is open with a change in it:
# the real program under a window manager (openbox on a private Xvfb) closes the window as its
# close button would, so the change is saved, ends with status 0 and leaves no socket behind.
#   bash tests/wm/end-by-signal.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

begin_run end
start_x_with_wm 1024x768
sanitizer_options
pid=
at_exit '[[ -z "$pid" ]] || kill -9 "$pid" 2>/dev/null'
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# Quick start into the small window (just the button bar), sound off.
settings="$work/config/quillet/User.dat"
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 >"$settings"
sound() { od -An -tu1 -j10 -N1 "$settings" | tr -d ' '; } # the byte of the switch "Ton"

finish() {
    if ((failures)); then
        echo "--- log" >&2
        cat "$work/quillet.log" >&2 || true
        exit 1
    fi
}

step "the small window, placed"
"$quillet" >"$work/quillet.log" 2>&1 &
pid=$!
wait_for_window "$pid" || fail "the board never came"
finish
board=$(windows_of "$pid")
wait_until "$pid" '[[ $(geometry_of "$board") == *" 335 42" && $(wm_state "$board") == Normal ]]' ||
    fail "the board never became the small window"
finish
step "the settings window opens"
# The settings button (the eighth of the bar, 235 pixels in) opens the settings window.
read -r bx by bw bh < <(geometry_of "$board")
xdotool mousemove $((bx + 235 + 15)) $((by + bh - 39 + 20)) click 1
menue() { xdotool search --all --onlyvisible --pid "$pid" --name '^Menue für Einstellungen' 2>/dev/null; }
wait_until "$pid" '[[ -n "$(menue)" ]]' || fail "the settings window did not open"
finish
window=$(menue | head -n 1)
# It takes the click once the window manager has placed it and given it the focus.
step "the settings window has the focus"
# A busy window manager can miss a request: asked again, never waited on for ever.
for _ in 1 2 3; do timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null && break; done

# Tick "Ton", and wait until the window shows the tick: the change is in the window now.
box=(20 38 14 14)
step "the check box shows its tick"
before=$(picture_of "$window" "${box[@]}")
xdotool mousemove --window "$window" 27 45 click 1
wait_until "$pid" '[[ "$(picture_of "$window" "${box[@]}")" != "$before" ]]' ||
    fail "the check box did not change"
[[ $(sound) == 0 ]] || fail "the settings were saved before the window closed"
finish

socket=$(ls "$work/runtime"/quillet-*.socket)
step "SIGTERM"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "the program ended with status $status"
[[ $(sound) == 1 ]] || fail "the change in the open settings window was lost"
[[ ! -e "$socket" ]] || fail "the socket was left behind"
finish
echo "end-by-signal: SIGTERM closed the settings window (saved), the board, and removed the socket"
