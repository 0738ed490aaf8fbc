#!/usr/bin/env bash
# logind that comes after the program: the real program (drawn off screen) on two private message
# buses, with python3-dbusmock's logind started on the stand-in system bus 4 s after Quillet.
# Quillet takes it up without a restart: it holds its sleep delay lock, lets it go when the
# machine goes to sleep and takes it again on waking, and a session locked for longer than the
# natural-break length (1 minute here) is recorded as a natural break once it unlocks.
#   bash tests/desktop/late-logind.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
python=/usr/bin/python3 # Debian's own, which has dbusmock

for tool in dbus-daemon gdbus sqlite3; do
    command -v "$tool" >/dev/null || { echo "late-logind: $tool is missing" >&2; exit 1; }
done
"$python" -c 'import dbusmock' 2>/dev/null ||
    { echo "late-logind: python3-dbusmock is missing" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-logind.XXXXXX")
pids=()
quillet_pid=
cleanup() {
    [[ -n "$quillet_pid" ]] && kill "$quillet_pid" 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Waits up to $1 ms for the shell expression $2 to hold, while Quillet runs.
wait_until() {
    local end=$(($(now_ms) + $1))
    until eval "$2"; do
        kill -0 "$quillet_pid" 2>/dev/null || { echo "late-logind: Quillet ended" >&2; return 1; }
        (($(now_ms) < end)) || return 1
        sleep 0.05
    done
}

# Two buses that let everyone own and call everything and start no services of their own.
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
# In this shell, not in a $(...): the bus's pid must reach the clean-up.
start_bus() { # name; the address in $work/name.bus
    dbus-daemon --config-file="$work/bus.conf" --fork --print-address=1 --print-pid=1 \
        >"$work/$1.bus"
    pids+=("$(sed -n 2p "$work/$1.bus")")
}
start_bus session
start_bus system
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/session.bus")
DBUS_SYSTEM_BUS_ADDRESS=$(sed -n 1p "$work/system.bus")
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS

# Off screen: no X server, so nothing but logind tells Quillet of the user. Natural breaks after
# one minute; the session is "c7".
unset DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
export QT_QPA_PLATFORM=offscreen XDG_SESSION_ID=c7
mkdir -p "$work/config/quillet" "$work/data" "$work/runtime"
chmod 0700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 >"$work/config/quillet/User.dat"
printf '[NaturalBreak]\nenabled=true\nminutes=1\n' >"$work/config/quillet/quillet.conf"
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi

"$quillet" >"$work/quillet.log" 2>&1 &
quillet_pid=$!
sleep 4 # what this test is about: logind comes 4 s after the program

login1() { # method on the manager, arguments
    local method=$1
    shift
    gdbus call --system --dest org.freedesktop.login1 --object-path /org/freedesktop/login1 \
        --method "$method" "$@"
}
"$python" -m dbusmock --system --template logind --logfile "$work/logind.log" \
    >/dev/null 2>"$work/logind.err" &
pids+=($!)
gdbus wait --system --timeout 30 org.freedesktop.login1 ||
    { echo "late-logind: the mock of logind did not start" >&2; cat "$work/logind.err" >&2; exit 1; }
came=$(now_ms)
login1 org.freedesktop.DBus.Mock.AddSession c7 seat0 1000 anna true >/dev/null

delay_lock() { login1 org.freedesktop.login1.Manager.ListInhibitors | grep "'Quillet'" >/dev/null; }
prepare_for_sleep() {
    login1 org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.login1.Manager PrepareForSleep \
        b "[<$1>]" >/dev/null
}

# Sleep: the delay lock is taken, let go when the machine goes to sleep, and taken again.
if wait_until 20000 delay_lock; then
    echo "sleep delay lock taken $(($(now_ms) - came)) ms after logind came"
    prepare_for_sleep true
    wait_until 10000 '! delay_lock' || fail "the delay lock was kept while the machine went to sleep"
    prepare_for_sleep false
    wait_until 10000 delay_lock || fail "the delay lock was not taken again on waking"
else
    fail "no sleep delay lock from logind that came late"
fi

# The lock: locked for longer than a natural break, then unlocked.
session() { # method on the session, arguments
    local method=$1
    shift
    gdbus call --system --dest org.freedesktop.login1 \
        --object-path /org/freedesktop/login1/session/c7 --method "$method" "$@" >/dev/null
}
# When Quillet asked logind for its session (the log's times are of the same clock, in seconds;
# "came" is when gdbus noticed logind, which Quillet may have done first).
looked_up=$(awk 'index($0, "GetSession \"c7\"") {printf "%.0f\n", $1 * 1000; exit}' \
    "$work/logind.log")
if [[ -n "$looked_up" ]]; then
    echo "session looked up $((looked_up - came)) ms after logind came"
else
    fail "Quillet did not look up its session"
fi
session org.freedesktop.login1.Session.SetLockedHint true
sleep 62 # a natural break takes a minute
session org.freedesktop.login1.Session.SetLockedHint false
breaks() {
    sqlite3 "$work/data/quillet/verlauf.sqlite" \
        'SELECT seconds FROM breaks WHERE kind = 0' 2>/dev/null || true
}
if wait_until 10000 '[[ -n "$(breaks)" ]]'; then
    seconds=$(breaks | head -n 1)
    ((seconds >= 60 && seconds <= 70)) || fail "a natural break of $seconds s for a 62 s lock"
    echo "the locked session was a natural break of $seconds s"
else
    fail "the locked session made no natural break"
fi

kill -TERM "$quillet_pid"
wait "$quillet_pid" || fail "Quillet ended with status $?"
quillet_pid=
if ((failures > 0)); then
    echo "== quillet" >&2
    tail -n 30 "$work/quillet.log" >&2
    echo "== logind" >&2
    tail -n 30 "$work/logind.log" >&2
fi
((failures == 0)) && echo "late-logind: logind that came 4 s late was used for sleep and the lock"
exit $((failures > 0))
