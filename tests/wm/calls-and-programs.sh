#!/usr/bin/env bash
# Prompts wait for a call and for programs the user listed, in the real program under a window
# manager (openbox on a private Xvfb) with a private PulseAudio server:
#  1. a training prompt that falls due while another program records from a microphone (parecord
#     from a null source) waits ("Training: wartet") and comes within 2 s of the recording's end,
#     once;
#  2. the sound server, ended and started anew, is found again, and its recordings hold;
#  3. a prompt that falls due while a window of a program listed in quillet.conf is active (an
#     xterm of the class "Vortrag") waits, and comes within 2 s of another window taking its place.
#   bash tests/wm/calls-and-programs.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/lib.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-calls.XXXXXX")
pids=()
recorder=
cleanup() {
    [[ -n "$recorder" ]] && kill "$recorder" 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    bash "$root/scripts/pulse-test-server.sh" stop >/dev/null 2>&1 || true
    bash "$root/scripts/x-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/x-test-server.sh" 1024x768)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
t0=$(date +%s%N)

# A sound server with a microphone (a null source). The program reaches it through a link of the
# run's own, which leads to the server started last.
sound=$work/sound
start_sound() {
    eval "$(bash "$root/scripts/pulse-test-server.sh")"
    pactl load-module module-null-source source_name=mikrofon >/dev/null
    ln -sfn "${PULSE_SERVER#unix:}" "$sound"
}
start_sound

mkdir -p "$work/config/quillet" "$work/runtime"
chmod 0700 "$work/runtime"
# The training prompt every 12 s, shown for 5 s; no watchdog; no sound of the program's own.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T1On=1 h1=0 m1=0 s1=12 sSTr=5 T2On=0 \
    >"$work/config/quillet/User.dat"
printf '[Hold]\nprograms=Vortrag\n[NaturalBreak]\nenabled=false\n' >"$work/config/quillet/quillet.conf"

XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$sound" \
    "$quillet" >"$work/quillet.log" 2>&1 &
quillet_pid=$!
pids+=("$quillet_pid")
wait_for_window "$quillet_pid" || { echo "FAIL: Quillet ended without a window" >&2; exit 1; }

caption() { board_caption "$quillet_pid"; }
counting='^Training: 0:0:[0-9]+ '
held='^Training: wartet '
# The prompt: the board's caption without a countdown in it.
prompt='^Quillet'
# Whether the program has a connection to the sound server started last.
connected() {
    pactl list clients 2>/dev/null | grep "application.process.id = \"$quillet_pid\"" >/dev/null
}
# Waits for a countdown with at least `seconds` left, so that a prompt falls due only later.
wait_for_countdown() { # seconds
    local limit=$((SECONDS + 30))
    until [[ "$(caption)" =~ ^Training:\ 0:0:([0-9]+)\  ]] && ((BASH_REMATCH[1] >= $1)); do
        ((SECONDS < limit)) && kill -0 "$quillet_pid" 2>/dev/null || return 1
        sleep 0.1
    done
}
record() {
    parecord --device=mikrofon --raw >/dev/null 2>&1 &
    recorder=$!
}
stop_recording() {
    kill "$recorder" 2>/dev/null || true
    wait "$recorder" 2>/dev/null || true
    recorder=
}

# 1. A recording holds the prompt; it comes within 2 s of the recording's end, once.
step "Quillet connects to the sound server"
holds_within "$quillet_pid" 20 connected || fail "Quillet did not connect to the sound server"
wait_for_countdown 4 || fail "no countdown in the caption (\"$(caption)\")"
record
step "the prompt is held while parecord records"
wait_for "$held" 20000 >/dev/null || fail "no waiting prompt while a program records"
sleep 2
[[ "$(caption)" =~ $held ]] || fail "the prompt came during the recording (\"$(caption)\")"
stop_recording
released=$(at)
if shown=$(wait_for "$prompt" 5000); then
    ((shown - released <= 2000)) || fail "the held prompt came $((shown - released)) ms after the recording ended"
    echo "held prompt shown $((shown - released)) ms after the recording ended"
    # Shown for its 5 s, then the countdown starts afresh: one prompt, not one per second held.
    wait_for '^Training: 0:0:(9|1[0-2]) ' 10000 >/dev/null ||
        fail "the countdown did not start afresh after the prompt (\"$(caption)\")"
else
    fail "the held prompt did not come after the recording"
fi

# 2. The sound server ends and another starts: the program finds it and its recordings hold.
step "the sound server starts anew"
bash "$root/scripts/pulse-test-server.sh" stop
start_sound
holds_within "$quillet_pid" 40 connected || fail "Quillet did not find the new sound server"
wait_for_countdown 4 || fail "no countdown after the new sound server came"
record
wait_for "$held" 20000 >/dev/null || fail "no waiting prompt while a program records on the new server"
stop_recording
wait_for "$prompt" 5000 >/dev/null || fail "the held prompt did not come after the second recording"

# 3. A listed program in front holds the prompt; another window in front lets it come.
step "an xterm of the class Vortrag in front"
xterm -class Vortrag -geometry 60x10+40+40 2>/dev/null &
pids+=($!)
talk=
wait_until "$quillet_pid" 'talk=$(xdotool search --onlyvisible --class Vortrag 2>/dev/null | tail -n 1); [[ -n "$talk" ]]'
xmessage -geometry 300x100+500+50 "Anderes Programm" 2>/dev/null &
pids+=($!)
other=
wait_until "$quillet_pid" 'other=$(xdotool search --onlyvisible --class Xmessage 2>/dev/null | tail -n 1); [[ -n "$other" ]]'
wait_for "$counting" 15000 >/dev/null || fail "no countdown before the listed program's prompt"
timeout 10 xdotool windowactivate --sync "$talk" 2>/dev/null || xdotool windowactivate "$talk"
wait_for "$held" 20000 >/dev/null || fail "no waiting prompt while the listed program is in front"
sleep 2
[[ "$(caption)" =~ $held ]] || fail "the prompt came over the listed program (\"$(caption)\")"
timeout 10 xdotool windowactivate --sync "$other" 2>/dev/null || xdotool windowactivate "$other"
released=$(at)
if shown=$(wait_for "$prompt" 5000); then
    ((shown - released <= 2000)) || fail "the held prompt came $((shown - released)) ms after the listed program left the front"
    echo "held prompt shown $((shown - released)) ms after another window came to the front"
else
    fail "the held prompt did not come after another window came to the front"
fi

((failures == 0)) && echo "calls-and-programs: the prompts waited for the call and the listed program"
exit $((failures > 0))
