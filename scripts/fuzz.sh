#!/usr/bin/env bash
# Builds Quillet's fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz and runs each for the given number of seconds over a copy of its seed corpus.
# Prints executions and findings per target; exits non-zero on any crash, leak, timeout or
# out-of-memory. Findings are kept in build-fuzz/fuzz-findings/<target>/ (or $FUZZ_FINDINGS/<target>/).
#   bash scripts/fuzz.sh [seconds-per-target]     (default 60)
# Environment: FUZZ_JOBS=2 runs that many targets side by side; FUZZ_TARGETS="jpeg wav" a choice.
# Needs clang and libclang-rt-dev (scripts/setup.sh installs them).
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
jobs=${FUZZ_JOBS:-1}
targets=(${FUZZ_TARGETS:-settings jpeg bmp wav record})
findings_dir=${FUZZ_FINDINGS:-$build/fuzz-findings}

for tool in clang clang++ cmake ninja; do
    command -v "$tool" >/dev/null || { echo "fuzz: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
done

started=$SECONDS
mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLET_FUZZ=ON -DQUILLET_TESTS=OFF -DQUILLET_BENCHMARKS=OFF >"$build/fuzz-configure.log" 2>&1 ||
    { cat "$build/fuzz-configure.log" >&2; exit 1; }
names=()
for t in "${targets[@]}"; do names+=("fuzz_$t"); done
cmake --build "$build" --target "${names[@]}" >"$build/fuzz-build.log" 2>&1 ||
    { tail -n 60 "$build/fuzz-build.log" >&2; exit 1; }
echo "fuzz: built in $((SECONDS - started)) s; $seconds s per target, $jobs at a time"

# Plug-ins and libraries from outside the build are not instrumented; what they leak on loading
# is theirs. Qt's platform is never needed.
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [[ -f "$root/scripts/lsan.supp" && -z "${LSAN_OPTIONS:-}" ]]; then
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
fi

run_target() {
    local t=$1 work="$build/fuzz-run/$1" findings="$findings_dir/$1"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$findings"
    cp "$root/fuzz/corpus/$t/"* "$work/corpus/" 2>/dev/null || true
    local rc=0
    (cd "$work" && "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" "$work/corpus" \
        >"$work/log" 2>&1) || rc=$?
    echo "$rc" >"$work/rc"
}

pids=()
for t in "${targets[@]}"; do
    run_target "$t" &
    pids+=($!)
    while (($(jobs -rp | wc -l) >= jobs)); do sleep 1; done
done
wait "${pids[@]}" || true

bad=0
printf '%-10s %12s %10s %8s %8s  %s\n' target executions exec/s corpus findings result
for t in "${targets[@]}"; do
    work="$build/fuzz-run/$t"
    rc=$(cat "$work/rc" 2>/dev/null || echo 99)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -n 1)
    units=$(find "$work/corpus" -type f | wc -l)
    found=$(find "$findings_dir/$t" -type f | wc -l)
    result=ok
    if ((rc != 0 || found > 0)); then
        result="FAILED (exit $rc): $(grep -m1 -E '^==[0-9]+==ERROR|SUMMARY|runtime error|deadly signal|Timeout|out-of-memory' "$work/log" || echo 'see log')"
        bad=1
    fi
    printf '%-10s %12s %10s %8s %8s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "$units" "$found" "$result"
done
echo "fuzz: logs in $build/fuzz-run/<target>/log, findings in $findings_dir/; $((SECONDS - started)) s in all"
exit $bad
