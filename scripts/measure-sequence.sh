#!/usr/bin/env bash
# A whole yoga or eye sequence in the running program, under a virtual X server at 1920x1080
# with a window manager (openbox) and a private sound server whose output is recorded: every
# narration the program hands to the server is looked for in the recording, where it must begin
# when it was asked for; and the process's CPU share and paints over the whole sequence.
#   bash scripts/measure-sequence.sh yoga|augen [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
sequence=${1:?yoga or augen}
build=${2:-build}
work=$(mktemp -d)
recorder=
cleanup() {
    [[ -n $recorder ]] && kill "$recorder" 2>/dev/null || true
    bash scripts/pulse-test-server.sh stop >/dev/null 2>&1 || true
    bash scripts/x-test-server.sh stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

eval "$(bash scripts/x-test-server.sh 1920x1080)"
eval "$(bash scripts/pulse-test-server.sh)"
echo "virtual X server at 1920x1080 with the window manager openbox; sound recorded from the server"

parecord --device=nul.monitor --raw --format=s16le --rate=16000 --channels=1 \
    --latency-msec=10 "$work/sound.raw" &
recorder=$!
recorded_from=$(date +%s%3N)
sleep 0.5
"$build/bench/quillet_sequence_probe" "$sequence" | tee "$work/probe.log" | grep -v '^narration'
sleep 1
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=
# QUILLET_MEASURE_KEEP=<folder> keeps the recording and the probe's log there.
if [[ -n ${QUILLET_MEASURE_KEEP:-} ]]; then
    mkdir -p "$QUILLET_MEASURE_KEEP"
    cp "$work/sound.raw" "$work/probe.log" "$QUILLET_MEASURE_KEEP/"
    echo "$recorded_from" >"$QUILLET_MEASURE_KEEP/recorded_from"
fi

python3 - "$work/sound.raw" "$work/probe.log" "$recorded_from" <<'PY'
import array, math, statistics, sys
raw, log, recorded_from = sys.argv[1], sys.argv[2], int(sys.argv[3])
samples = array.array('h', open(raw, 'rb').read())
rate, frame = 16000, 160  # 10 ms frames
levels = []
for i in range(0, len(samples) - frame, frame):
    chunk = samples[i:i + frame]
    levels.append(math.sqrt(sum(x * x for x in chunk) / frame))
loud = [l > 300 for l in levels]  # about -40 dBFS
onsets, quiet = [], 99
for i, is_loud in enumerate(loud):
    if is_loud and quiet >= 4:
        onsets.append(i * 10)
    quiet = 0 if is_loud else quiet + 1
press, asked = None, []
for line in open(log):
    parts = line.split()
    if not parts:
        continue
    if parts[0] == 'press':
        press = int(parts[1]) - recorded_from
    elif parts[0] == 'narration' and len(parts) == 3 and parts[2] != 'stop':
        asked.append((int(parts[1]), parts[2]))
if press is None or not asked:
    sys.exit('no narration was asked for')
# A narration cut off by the next one leaves no quiet before it; those are found by their
# beginning's place only when the earlier one ended before.
matches, i = [], 0
for ms, name in asked:
    at = press + ms
    while i < len(onsets) and onsets[i] < at - 100:
        i += 1
    if i < len(onsets) and onsets[i] <= at + 400:
        matches.append(onsets[i] - at)
        i += 1
delays = sorted(matches)
print(f"narrations asked for: {len(asked)}; heard beginning on time (within 400 ms): "
      f"{len(matches)}; delay from asking to sound: median {statistics.median(delays):.0f} ms, "
      f"from {min(delays):.0f} to {max(delays):.0f} ms (the recording's start is known to "
      f"some tens of ms)")
print(f"last narration asked {asked[-1][0] / 1000:.1f} s after the press: {asked[-1][1]}")
PY
