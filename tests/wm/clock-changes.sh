#!/usr/bin/env bash
# Changes of the wall clock do not move the reminders: the real program under a window manager
# (openbox on a private Xvfb), its wall clock set by libfaketime while its boot clock runs on.
# Two copies, each with its own settings folder, wait for a training prompt every 30 s while
# their clock goes through a change of summer time (the end in October and the start in March,
# Europe/Berlin) and is then set back and forward by hand. Every caption must count down with
# real time, and the prompt must come 30 s after the countdown began.
#   bash tests/wm/clock-changes.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

find_libfaketime
needs xdotool xprop
begin_run clock
start_x_with_wm 1024x768
sanitizer_options preloaded
pids=()
at_exit 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done'

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Copy `name` starts with its wall clock at `utc` (8 s before the change of summer time);
# libfaketime reads the wall clock's offset from a file, so the script can set it while it runs.
names=(autumn spring)
declare -A offset
start_copy() {
    local name=$1 utc=$2
    program_folders "$work/$name"
    bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T2On=0 h1=0 m1=0 s1=30 \
        >"$work/$name/config/quillet/User.dat"
    offset[$name]=$(($(date -d "$utc" +%s) - $(date +%s)))
    printf '%+d\n' "${offset[$name]}" >"$work/$name/clock"
    TZ=Europe/Berlin XDG_CONFIG_HOME="$work/$name/config" XDG_RUNTIME_DIR="$work/$name/runtime" \
        LD_PRELOAD="$libfaketime" FAKETIME_TIMESTAMP_FILE="$work/$name/clock" \
        FAKETIME_CACHE_DURATION=1 FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$quillet" >"$work/$name/quillet.log" 2>&1 &
    pids+=($!)
}
set_clock() { # name, seconds to move the wall clock by
    offset[$1]=$((offset[$1] + $2))
    printf '%+d\n' "${offset[$1]}" >"$work/$1/clock"
}
start_copy autumn '2026-10-25 00:59:52 UTC' # 02:59:52 CEST, then 02:00:00 CET
start_copy spring '2027-03-28 00:59:52 UTC' # 01:59:52 CET, then 03:00:00 CEST

# Per copy: when the countdown was first seen and what it said, and when the prompt came.
declare -A window first_at first_left prompt_at
t0=$(now_ms)
moved=0
while :; do
    t=$(($(now_ms) - t0))
    ((t < 60000)) || break
    if ((moved == 0 && t >= 14000)); then
        set_clock autumn -5 # set back five seconds
        set_clock spring -3600
        moved=1
    elif ((moved == 1 && t >= 20000)); then
        set_clock autumn 7200
        set_clock spring 86400
        moved=2
    fi
    done_all=1
    for i in "${!names[@]}"; do
        name=${names[$i]}
        [[ -n "${prompt_at[$name]:-}" ]] && continue
        done_all=0
        kill -0 "${pids[$i]}" 2>/dev/null || { fail "$name: the program ended"; prompt_at[$name]=-1; continue; }
        if [[ -z "${window[$name]:-}" ]]; then
            window[$name]=$(xdotool search --onlyvisible --pid "${pids[$i]}" 2>/dev/null | tail -n 1 || true)
            continue
        fi
        before=$(($(now_ms) - t0))
        caption=$(xprop -id "${window[$name]}" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([^)]*) = "\(.*\)"$/\1/p') || true
        seen=$(((before + $(now_ms) - t0) / 2))
        if [[ "$caption" =~ ^Training:\ 0:0:(-?[0-9]+) ]]; then
            left=${BASH_REMATCH[1]}
            if [[ -z "${first_at[$name]:-}" ]]; then
                first_at[$name]=$seen first_left[$name]=$left
            else
                # Whole seconds left, truncated, read some time within the poll: allow 1.5 s.
                expect=$((first_left[$name] * 1000 - (seen - first_at[$name])))
                diff=$((left * 1000 - expect))
                ((diff > -1500 && diff < 1500)) ||
                    fail "$name: at $((seen / 1000)) s the caption says $left s left, $((expect / 1000)) s expected"
            fi
        elif [[ -n "${first_at[$name]:-}" && "$caption" != Training:* ]]; then
            prompt_at[$name]=$seen
            echo "$name: training prompt $(((seen - first_at[$name]) / 100)) tenths of a second" \
                "after the countdown said ${first_left[$name]} s"
        fi
    done
    ((done_all)) && break
    sleep 0.1
done

for name in "${names[@]}"; do
    if [[ -z "${first_at[$name]:-}" ]]; then
        fail "$name: no countdown seen"
    elif [[ -z "${prompt_at[$name]:-}" ]]; then
        fail "$name: no training prompt within a minute"
    elif ((prompt_at[$name] >= 0)); then
        late=$((prompt_at[$name] - first_at[$name] - first_left[$name] * 1000))
        ((late > -1500 && late < 2500)) ||
            fail "$name: the prompt came $((late / 100)) tenths of a second from when it was due"
    fi
done
((failures == 0)) && echo "clock-changes: both prompts on time"
exit $((failures > 0))
