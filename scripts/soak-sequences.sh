#!/usr/bin/env bash
# The yoga and the eye sequence, each run N times in a row, fast: every run starts the program
# through the measuring probe (build/bench/quillet_sequence_probe), which presses the sequence's
# button and ends the program when the sequence is over, under a private X server and sound
# server, with libfaketime running the program's clocks SPEED times faster than real time.
# Prints each run's length in the program's own (fake) time and in real time, its failures (an
# exit other than 0, a narration the sound server refused, no end of the sequence) and the
# process's resident memory after the press and just before the end.
#   bash scripts/soak-sequences.sh [runs] [build-dir]      (default 50 runs, build)
# Environment: SPEED (default 10), SEQUENCES (default "yoga augen").
set -euo pipefail
runs=${1:-50}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build}" && pwd)
probe="$build/bench/quillet_sequence_probe"
speed=${SPEED:-10}
sequences=(${SEQUENCES:-yoga augen})

libfaketime=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -f "$f" ]] && { libfaketime=$f; break; }
done
[[ -n "$libfaketime" ]] || { echo "soak-sequences: libfaketime is missing (apt install libfaketime)" >&2; exit 1; }
[[ -x "$probe" ]] || { echo "soak-sequences: $probe is not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-soakseq.XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    bash "$root/scripts/x-test-server.sh" stop >/dev/null 2>&1 || true
    bash "$root/scripts/pulse-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/x-test-server.sh" 1920x1080)"
eval "$(bash "$root/scripts/pulse-test-server.sh")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$work/config"
export XDG_CONFIG_HOME="$work/config"

rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null || true; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

failures=0
summary=()
for sequence in "${sequences[@]}"; do
    lengths=() first_rss= last_rss= failed=0
    printf '%-6s %4s %10s %8s %12s %10s  %s\n' sequence run fake-s real-s RSS-press RSS-end result
    for ((run = 1; run <= runs; run++)); do
        log="$work/$sequence-$run.log"
        t0=$(now_ms)
        LD_PRELOAD="$libfaketime" FAKETIME="@$(date '+%Y-%m-%d %H:%M:%S') x$speed" \
            FAKETIME_DONT_RESET=1 "$probe" "$sequence" >"$log" 2>&1 &
        pid=$!
        rss_press= rss_end=
        while kill -0 "$pid" 2>/dev/null; do
            r=$(rss_kib "$pid")
            if [[ -n "$r" ]]; then
                [[ -z "$rss_press" ]] && grep -qs '^press' "$log" && rss_press=$r
                rss_end=$r
            fi
            sleep 0.1
        done
        rc=0
        wait "$pid" || rc=$?
        pid=
        real_ms=$(($(now_ms) - t0))
        length=$(sed -n 's/^sequence \([0-9.]*\) s.*/\1/p' "$log" | tail -n 1)
        result=ok
        if ((rc != 0)); then
            result="exit $rc"
        elif [[ -z "$length" ]]; then
            result="no end of the sequence"
        elif grep -q '(failed)' "$log"; then
            result="$(grep -c '(failed)' "$log") narration(s) refused"
        fi
        if [[ "$result" != ok ]]; then
            failed=$((failed + 1))
            cp "$log" "/tmp/soak-sequences-$sequence-$run.log" 2>/dev/null || true
            result="FAILED: $result (log in /tmp/soak-sequences-$sequence-$run.log)"
        fi
        [[ -n "$length" ]] && lengths+=("$length")
        [[ -z "$first_rss" ]] && first_rss=${rss_press:-0}
        last_rss=${rss_end:-0}
        printf '%-6s %4d %10s %8d.%d %8s KiB %6s KiB  %s\n' "$sequence" "$run" "${length:-?}" \
            $((real_ms / 1000)) $((real_ms % 1000 / 100)) "${rss_press:-?}" "${rss_end:-?}" "$result"
    done
    spread=$(printf '%s\n' "${lengths[@]:-}" | awk 'NF {n++; s+=$1; if (n==1||$1<lo) lo=$1; if (n==1||$1>hi) hi=$1}
        END {if (n) printf "%.1f s on average, %.1f to %.1f s", s/n, lo, hi; else print "no lengths"}')
    summary+=("$sequence: $runs runs, $failed failed; length $spread; RSS after the first press $first_rss KiB, at the last end $last_rss KiB")
    failures=$((failures + failed))
done
echo "---- soak-sequences at x$speed"
printf '%s\n' "${summary[@]}"
((failures == 0))
