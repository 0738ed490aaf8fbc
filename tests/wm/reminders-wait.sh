#!/usr/bin/env bash
# Reminders wait for the user, in the real program under a window manager (openbox on a private
# Xvfb): a watchdog prompt that falls due while another program's window is full screen waits
# ("Wachhund: wartet") and comes within 2 s of the window leaving full screen; one that falls due
# while the user has given no input for the natural-break length (1 minute here) is not shown,
# and the first input starts the countdown afresh. A prompt never takes the keyboard from the
# window the user is in.
#   bash tests/wm/reminders-wait.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

begin_run wait
start_x_with_wm 1024x768
sanitizer_options
pids=()
at_exit 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done'

t0=$(date +%s%N)

# The watchdog every 15 s, shown for 7 s; no training prompt; natural breaks after one minute.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T1On=0 h2=0 m2=0 s2=15 sS=7 \
    >"$work/config/quillet/User.dat"
printf '[NaturalBreak]\nenabled=true\nminutes=1\n' >"$work/config/quillet/quillet.conf"

# Another program's window, made full screen and active before Quillet starts. xmessage names no
# process on its window: it is found by its class. Now and then on a loaded machine xmessage never
# maps its window; it is then started once more (that is not what this test is about).
of_xmessage() { xdotool search --onlyvisible --class xmessage 2>/dev/null | tail -n 1 || true; }
other=
for attempt in 1 2 3; do
    xmessage -geometry 300x100+50+50 "Vollbild" &
    xm=$!
    holds_within "$xm" 30 'other=$(of_xmessage) && [[ -n "$other" ]]' && break
    echo "xmessage showed no window within 30 s (attempt $attempt): $(cat /proc/$xm/wchan 2>/dev/null)" >&2
    kill "$xm" 2>/dev/null || true
done
[[ -n "$other" ]] || { echo "FAIL: xmessage never showed its window" >&2; exit 1; }
pids=("$xm")
xprop -id "$other" -f _NET_WM_STATE 32a -set _NET_WM_STATE _NET_WM_STATE_FULLSCREEN
xdotool mousemove 600 600 # the last input: the natural break is due a minute from here
input_at=$(at)

XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$quillet" \
    >"$work/quillet.log" 2>&1 &
pids+=($!)
wait_for_window "${pids[1]}" || { echo "FAIL: Quillet ended without a window" >&2; exit 1; }
# The board's native window changes with its frame: look for the one shown now.
caption() {
    local id
    id=$(xdotool search --onlyvisible --pid "${pids[1]}" 2>/dev/null | tail -n 1) || return 0
    xprop -id "$id" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([^)]*) = "\(.*\)"$/\1/p'
}
timeout 10 xdotool windowactivate --sync "$other" 2>/dev/null || xdotool windowactivate "$other"

# 1. Full screen: the prompt waits, and comes when the window leaves full screen.
wait_for 'Wachhund: wartet$' 40000 >/dev/null || fail "no waiting prompt behind the full-screen window"
sleep 2
[[ "$(caption)" == *Wachhund:\ wartet ]] || fail "the prompt came over the full-screen window"
xprop -id "$other" -remove _NET_WM_STATE
released=$(at)
if shown=$(wait_for '^Quillet' 5000); then
    ((shown - released <= 2000)) || fail "the held prompt came $((shown - released)) ms after the hold"
    echo "held prompt shown $((shown - released)) ms after the window left full screen"
    # It comes on top without taking the keyboard from the window the user was in.
    sleep 1
    active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed 's/.*# //')
    ((active == other)) || fail "the prompt took the keyboard (active window $active, not $other)"
else
    fail "the held prompt did not come after the hold"
fi

# 2. A natural break: the next prompt falls due after a minute without input and is not shown.
wait_for 'Wachhund: 0:0:' 10000 >/dev/null || fail "the countdown did not start again"
limit=$((input_at + 60000 + 30000 - $(at)))
wait_for 'Wachhund: wartet$' "$limit" >/dev/null || fail "no waiting prompt while the user was away"
since=$(($(at) - input_at))
((since >= 60000)) || fail "the prompt waited after only $since ms without input"
sleep 2
[[ "$(caption)" == *Wachhund:\ wartet ]] || fail "the prompt came while the user was away"
xdotool mousemove 610 610
back=$(at)
if restarted=$(wait_for 'Wachhund: 0:0:1[34]$' 3000); then
    echo "countdown afresh $((restarted - back)) ms after the user came back"
else
    fail "the countdown did not start afresh on the user's return (caption \"$(caption)\")"
fi

((failures == 0)) && echo "reminders-wait: both prompts waited as they should"
exit $((failures > 0))
