#!/usr/bin/env bash
# Start-up to the first painted frame, as whole processes under a virtual X server: Quillet
# against a bare full-screen Qt window, alternating, at each screen size. Prints the median and
# the spread of each and the ratio of the medians.
#   bash scripts/measure-startup.sh [runs] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
build=${2:-build}
bin=$build/bench/quillet_first_frame
[[ -x $bin ]] || { echo "build $bin first" >&2; exit 1; }

config=$(mktemp -d)
trap 'rm -rf "$config"; [[ -n ${xvfb:-} ]] && kill $xvfb 2>/dev/null || true' EXIT
export XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb

ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%s (min %s, max %s)", m, a[1], a[NR]}'; }

for size in 1920x1080 1024x768; do
    display=:$((90 + RANDOM % 9))
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    "$bin" >/dev/null 2>&1 # warm the file cache
    quillet=() bare=()
    for _ in $(seq "$runs"); do
        t=$(ms); "$bin" >/dev/null 2>&1; quillet+=($(( $(ms) - t )))
        t=$(ms); "$bin" --bare >/dev/null 2>&1; bare+=($(( $(ms) - t )))
    done
    mq=$(printf '%s\n' "${quillet[@]}" | median)
    mb=$(printf '%s\n' "${bare[@]}" | median)
    ratio=$(awk -v a="${mq%% *}" -v b="${mb%% *}" 'BEGIN {printf "%.2f", a / b}')
    echo "$size: Quillet ${mq} ms, bare Qt window ${mb} ms, ratio $ratio ($runs runs each)"
    kill $xvfb; wait $xvfb 2>/dev/null || true
    xvfb=
done
