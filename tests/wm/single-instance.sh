#!/usr/bin/env bash
# One Quillet per settings folder, with the real program under a window manager (openbox on a
# private Xvfb): a second start (here through a link to the same settings folder) leaves one
# board and brings it back from its icon instead of starting a second schedule; with the
# settings window open, that window comes back in front of the board; after the first copy is
# killed with SIGKILL, the next start runs normally.
#   bash tests/wm/single-instance.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

begin_run single
start_x_with_wm 1024x768
sanitizer_options
pids=()
at_exit 'for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done'
ln -s "$work/config" "$work/linked-config"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# Quick start into the small window: its button bar opens the settings.
bash "$root/scripts/settings-record.sh" DSTimer=1 >"$work/config/quillet/User.dat"

finish() {
    if ((failures)); then
        echo "--- logs" >&2
        cat "$work"/*.log >&2 || true
        exit 1
    fi
}
# A later start, through the linked spelling of the settings folder: it asks the first copy to
# come to the front and ends by itself, with status 0.
second_start() { # name
    local status=0
    XDG_CONFIG_HOME="$work/linked-config" "$quillet" >"$work/$1.log" 2>&1 || status=$?
    ((status == 0)) || fail "the $1 start ended with status $status"
    kill -0 "$first" 2>/dev/null || fail "the first copy ended"
}

step "the first start shows its board"
"$quillet" >"$work/first.log" 2>&1 &
first=$!
pids+=("$first")
wait_for_window "$first" || fail "the first start shows no window"
finish
board=$(windows_of "$first")

# ---- the settings window open over the board, both minimised: a later start brings both back,
# the settings window in front and with the focus (the board answers nothing meanwhile).
step "the small window, placed"
wait_until "$first" '[[ $(geometry_of "$board") == *" 335 42" && $(wm_state "$board") == Normal ]]' ||
    fail "the board never became the small window"
read -r bx by bw bh < <(geometry_of "$board")
step "the settings window opens"
xdotool mousemove $((bx + 235 + 15)) $((by + bh - 39 + 20)) click 1
menue() { xdotool search --all --onlyvisible --pid "$first" --name '^Menue für' 2>/dev/null; }
wait_until "$first" '[[ -n "$(menue)" ]]' || fail "the settings window did not open"
finish
window=$(menue | head -n 1)
step "both minimised"
xdotool windowminimize "$window"
xdotool windowminimize "$board"
wait_until "$first" '[[ $(wm_state "$window") == Iconic && $(wm_state "$board") == Iconic ]]' ||
    fail "the windows were not minimised"
second_start second
step "the settings window back in front of the board"
wait_until "$first" '[[ $(wm_state "$window") == Normal && $(wm_state "$board") == Normal ]] &&
    above "$window" "$board"' || fail "the settings window is not back in front"
finish

# ---- the settings window closed (Alt+F4, as the user would), the board minimised: a later
# start brings it back.
step "the settings window closes"
# A busy window manager can miss a request or the key can reach the window before it has the
# focus: activated and asked again until the window is gone (ctest's timeout bounds it).
closed=
for _ in $(seq 20); do
    timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null || true
    # Never a key for the board: only while the settings window is the active one.
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]] && xdotool key alt+F4
    holds_within "$first" 10 '[[ -z "$(menue)" ]]' && closed=1 && break
    kill -0 "$first" 2>/dev/null || break
done
[[ -n "$closed" ]] || fail "the settings window did not close"
step "the board minimised, then back"
xdotool windowminimize "$board"
wait_until "$first" '[[ $(wm_state "$board") == Iconic ]]' || fail "the board was not minimised"
second_start third
wait_until "$first" '[[ $(wm_state "$board") == Normal && -n $(windows_of "$first") ]]' ||
    fail "the first copy's board is not shown again"
(($(windows_of "$first" | wc -l) == 1)) || fail "more than the board is shown"
finish

# ---- a copy killed outright leaves its lock and socket; the next start is not kept out.
kill -9 "$first"
wait "$first" 2>/dev/null || true
[[ -f "$work/config/quillet/quillet.lock" ]] || fail "no lock file was left to test with"
step "a start after SIGKILL"
"$quillet" >"$work/after-kill.log" 2>&1 &
next=$!
pids+=("$next")
wait_for_window "$next" || fail "the start after SIGKILL shows no window"
finish
echo "single-instance: later starts raised the first (the settings window in front) and ended;" \
    "a start after SIGKILL ran"
