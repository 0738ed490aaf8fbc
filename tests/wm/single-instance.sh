#!/usr/bin/env bash
# One Quillet per settings folder, with the real program under a window manager (openbox on a
# private Xvfb): a second start leaves one board and raises it instead of starting a second
# schedule; after the first copy is killed with SIGKILL, the next start runs normally.
#   bash tests/wm/single-instance.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-single.XXXXXX")
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    bash "$root/scripts/x-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/x-test-server.sh" 1024x768)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
mkdir -p "$work/config" "$work/runtime"
chmod 0700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# The mapped top-level windows of a process.
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }
wait_for_window() { # pid seconds
    local until=$((SECONDS + $2))
    while ((SECONDS < until)); do
        (($(windows_of "$1") > 0)) && return 0
        sleep 0.2
    done
    return 1
}

"$quillet" >"$work/first.log" 2>&1 &
first=$!
pids+=("$first")
wait_for_window "$first" 20 || fail "the first start shows no window"

# The second start asks the first to come to the front and ends at once, showing nothing.
xdotool search --onlyvisible --pid "$first" windowminimize --sync 2>/dev/null || true
started=$SECONDS
if ! timeout 10 "$quillet" >"$work/second.log" 2>&1; then
    fail "the second start did not end cleanly"
fi
((SECONDS - started <= 5)) || fail "the second start took $((SECONDS - started)) s"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
sleep 1
(($(windows_of "$first") >= 1)) || fail "the first copy's board is not shown again"
state=$(xprop -id "$(xdotool search --pid "$first" | head -1)" WM_STATE 2>/dev/null || true)
[[ $state == *Iconic* ]] && fail "the first copy stayed minimised"

# A copy killed outright leaves its lock and socket; the next start must not be stopped by them.
kill -9 "$first"
wait "$first" 2>/dev/null || true
ls "$work/runtime"/quillet-*.lock >/dev/null 2>&1 || fail "no lock file was left to test with"
"$quillet" >"$work/third.log" 2>&1 &
third=$!
pids+=("$third")
wait_for_window "$third" 20 || fail "the start after SIGKILL shows no window"

if ((failures)); then
    echo "--- logs" >&2
    cat "$work"/*.log >&2
    exit 1
fi
echo "single-instance: a second start raised the first and ended; a start after SIGKILL ran"
