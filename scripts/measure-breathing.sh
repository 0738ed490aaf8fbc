#!/usr/bin/env bash
# A breathing sequence in the running program under a virtual X server at 1920x1080: set-up
# time, press to first picture, and during full breathing the CPU share and the paints per
# second of the blind, the strip and the whole board.
#   bash scripts/measure-breathing.sh [seconds] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${2:-build}
display=:$((70 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; bash scripts/pulse-test-server.sh stop >/dev/null 2>&1 || true' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
eval "$(bash scripts/pulse-test-server.sh)"
"$build/bench/quillet_sequence_probe" "$seconds"
