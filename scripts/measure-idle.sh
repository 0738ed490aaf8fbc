#!/usr/bin/env bash
# What waiting costs: Quillet as the small window with both countdowns running (quick start),
# under a virtual X server at 1920x1080 with a window manager (openbox) and a private sound
# server, next to a reference measured at the same time: a plain Qt window whose caption counts
# down once a second (build/bench/quillet_idle_reference), or any other command given after --.
# Each round starts both afresh, lets them settle for 10 s and measures them for SECONDS; the
# medians of the rounds are printed.
#   bash scripts/measure-idle.sh [seconds] [build-dir] [rounds] [-- other command to compare]
# QUILLET_IDLE_PANEL=icon: Quillet's icon in a desktop panel as well (a StatusNotifierWatcher on a
# session bus of Quillet's own, reading the icon as a panel does); =hidden: and the board waits
# in the panel instead of the small window ("Im Panel statt im kleinen Fenster warten").
# Figures: CPU share of one core, voluntary context switches per second (all threads), RSS and
# private dirty memory (smaps_rollup) at the end of the round.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${2:-build}
rounds=${3:-5}
shift $(($# < 3 ? $# : 3))
[[ ${1:-} == -- ]] && shift
other=("$@")
((${#other[@]})) || other=("$build/bench/quillet_idle_reference")
[[ -x $build/quillet && -x ${other[0]} ]] || { echo "measure-idle: build $build first" >&2; exit 1; }

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
eval "$(bash scripts/pulse-test-server.sh)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Settings with the quick start on, everything else at its defaults.
mkdir -p "$work/config/quillet" "$work/home"
bash scripts/settings-record.sh DSTimer=1 >"$work/config/quillet/User.dat"
# Desktop programs want a session bus; the other program gets a private one.
{ read -r bus_address; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$bus_pid")
# With a panel: a session bus of Quillet's own, whose StatusNotifierWatcher shows its icon.
quillet_env=()
panel=${QUILLET_IDLE_PANEL:-}
if [[ -n $panel ]]; then
    { read -r panel_bus; read -r panel_bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    pids+=("$panel_bus_pid")
    quillet_env=("DBUS_SESSION_BUS_ADDRESS=$panel_bus")
    env "${quillet_env[@]}" /usr/bin/python3 tests/desktop/mocks/status_watcher.py "$work/panel.jsonl" \
        >"$work/watcher.log" 2>&1 &
    pids+=($!)
    if [[ $panel == hidden ]]; then
        printf '[Panel]\nwaitInPanel=true\n' >"$work/config/quillet/quillet.conf"
    fi
fi

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches_of() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }

# One round's figures of a process: "cpu-percent switches-per-s rss-MiB dirty-MiB".
measure() { # pid
    local pid=$1 c0 s0 t0 c1 s1 t1 rss dirty
    sleep 10 # settle
    c0=$(cpu_of "$pid"); s0=$(switches_of "$pid"); t0=$(date +%s.%N)
    sleep "$seconds"
    c1=$(cpu_of "$pid"); s1=$(switches_of "$pid"); t1=$(date +%s.%N)
    rss=$(awk '/^Rss:/ {print $2}' "/proc/$pid/smaps_rollup")
    dirty=$(awk '/^Private_Dirty:/ {print $2}' "/proc/$pid/smaps_rollup")
    awk -v c=$((c1 - c0)) -v s=$((s1 - s0)) -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
        -v rss="$rss" -v dirty="$dirty" 'BEGIN {
            d = t1 - t0
            printf "%.4f %.2f %.1f %.1f\n", 100 * c / hz / d, s / d, rss / 1024, dirty / 1024 }'
}

: >"$work/quillet.rounds"
: >"$work/other.rounds"
for ((r = 1; r <= rounds; r++)); do
    env "${quillet_env[@]}" XDG_CONFIG_HOME="$work/config" "$build/quillet" >"$work/quillet.log" 2>&1 &
    qpid=$!
    HOME=$work/home XDG_CONFIG_HOME=$work/home/.config DBUS_SESSION_BUS_ADDRESS="$bus_address" \
        "${other[@]}" >"$work/other.log" 2>&1 &
    opid=$!
    pids+=("$qpid" "$opid")
    # Quillet's window is the active one, as after the user has looked at it: Quillet listens to
    # the active window's properties (is it full screen?), and the reference's caption changes
    # every second, as few windows of other programs do.
    for _ in $(seq 100); do
        qwin=$(xdotool search --onlyvisible --pid "$qpid" 2>/dev/null | tail -n 1 || true)
        [[ -n "$qwin" ]] && break
        sleep 0.1
    done
    [[ -n "${qwin:-}" ]] && xdotool windowactivate "$qwin" 2>/dev/null || true
    measure "$qpid" >>"$work/quillet.rounds" &
    m1=$!
    measure "$opid" >>"$work/other.rounds" &
    m2=$!
    wait $m1 $m2
    kill "$qpid" "$opid" 2>/dev/null || true
    wait "$qpid" "$opid" 2>/dev/null || true
done

# The median of each column.
medians() {
    local col
    for col in 1 2 3 4; do
        cut -d' ' -f"$col" "$1" | sort -g | awk '{a[NR] = $1} END {
            printf "%s ", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'
    done
    echo
}
read -r qc qs qr qd <<<"$(medians "$work/quillet.rounds")"
read -r oc os or od <<<"$(medians "$work/other.rounds")"
where="in the small window"
[[ $panel == icon ]] && where="in the small window, with the icon in a panel"
[[ $panel == hidden ]] && where="in the panel (the board hidden)"
[[ -z $panel || -s $work/panel.jsonl ]] || echo "measure-idle: the panel never read the icon" >&2
echo "waiting $where at 1920x1080 under openbox: medians of $rounds rounds of $seconds s"
printf '%-28s CPU %.3f %% of a core, %.2f voluntary switches/s, RSS %.1f MiB, private dirty %.1f MiB\n' \
    "Quillet" "$qc" "$qs" "$qr" "$qd"
printf '%-28s CPU %.3f %% of a core, %.2f voluntary switches/s, RSS %.1f MiB, private dirty %.1f MiB\n' \
    "$(basename "${other[0]}") (reference)" "$oc" "$os" "$or" "$od"
awk -v a="$qs" -v b="$os" -v c="$qd" -v d="$od" \
    'BEGIN {printf "ratio to the reference: switches %.2fx, private dirty %.2fx\n", a / b, c / d}'
