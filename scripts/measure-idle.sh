#!/usr/bin/env bash
# What waiting costs: Quillet as the small window with both countdowns running (quick start),
# under a virtual X server at 1920x1080 with a window manager (openbox) and a private sound
# server, measured over a minute after it settled; optionally next to another program measured
# the same way.
#   bash scripts/measure-idle.sh [seconds] [build-dir] [-- other command to compare]
# Prints CPU share of one core, voluntary context switches per second (all threads), RSS and
# private dirty memory (smaps_rollup).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build}
shift $(( $# < 2 ? $# : 2 ))
[[ ${1:-} == -- ]] && shift
other=("$@")

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    bash scripts/pulse-test-server.sh stop >/dev/null 2>&1 || true
    bash scripts/x-test-server.sh stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# A desktop has a window manager, and it decides which native window the caption goes to.
eval "$(bash scripts/x-test-server.sh 1920x1080)"
echo "virtual X server at 1920x1080 with the window manager openbox"
eval "$(bash scripts/pulse-test-server.sh)"

# Settings with the quick start on, everything else at its defaults.
mkdir -p "$work/config/quillet"
bash scripts/settings-record.sh DSTimer=1 >"$work/config/quillet/User.dat"

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches_of() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }

measure() { # name pid
    local name=$1 pid=$2
    sleep 10 # settle
    local c0 s0 t0 c1 s1 t1
    c0=$(cpu_of "$pid"); s0=$(switches_of "$pid"); t0=$(date +%s.%N)
    sleep "$seconds"
    c1=$(cpu_of "$pid"); s1=$(switches_of "$pid"); t1=$(date +%s.%N)
    local rss dirty
    rss=$(awk '/^Rss:/ {print $2}' "/proc/$pid/smaps_rollup")
    dirty=$(awk '/^Private_Dirty:/ {print $2}' "/proc/$pid/smaps_rollup")
    awk -v n="$name" -v c=$((c1 - c0)) -v s=$((s1 - s0)) -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
        -v rss="$rss" -v dirty="$dirty" 'BEGIN {
            d = t1 - t0
            printf "%-10s CPU %.3f %% of a core, %.2f voluntary switches/s, RSS %.1f MiB, private dirty %.1f MiB (%d s)\n",
                n, 100 * c / hz / d, s / d, rss / 1024, dirty / 1024, d }'
}

XDG_CONFIG_HOME=$work/config "$build/quillet" >"$work/quillet.log" 2>&1 &
qpid=$!
pids+=($qpid)
if ((${#other[@]})); then
    # Desktop programs want a session bus; each gets a private one.
    mkdir -p "$work/home"
    { read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    pids+=("$bus_pid")
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config DBUS_SESSION_BUS_ADDRESS="$bus_address" \
        "${other[@]}" >"$work/other.log" 2>&1 &
    opid=$!
    pids+=($opid)
    measure quillet "$qpid" &
    m1=$!
    measure "$(basename "${other[0]}")" "$opid" &
    m2=$!
    wait $m1 $m2
else
    measure quillet "$qpid"
fi
