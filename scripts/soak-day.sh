#!/usr/bin/env bash
# A day in the small window, fast: the real program waits with both reminders (training every
# 45 min, watchdog every 10 min, each prompt shown 7 s) under a private X server with a window
# manager and a private sound server, while libfaketime runs its clock (wall clock, monotonic
# clock and the timeouts of its sleeps and polls alike) SPEED times faster than real time.
# Every prompt must come when the caption's countdown said it would, and the process's resident
# memory must grow by less than 1 MiB from the end of the first hour to the end.
#   bash scripts/soak-day.sh [fake-hours] [build-dir]      (default 24 hours, build)
# Environment: SPEED (default 24), START (fake start, default "today 07:00:00"),
# TOLERANCE (seconds of fake time a prompt may be late or early, default 5).
# Needs faketime/libfaketime, xvfb, openbox, xdotool, x11-utils, pulseaudio.
# A measurement, not a test: it prints its figures and exits non-zero when a check fails.
set -euo pipefail
hours=${1:-24}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build}" && pwd)
quillet="$build/quillet"
speed=${SPEED:-24}
tolerance=${TOLERANCE:-5}
fake_start=$(date -d "${START:-today 07:00:00}" '+%Y-%m-%d %H:%M:%S')

libfaketime=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -f "$f" ]] && { libfaketime=$f; break; }
done
[[ -n "$libfaketime" ]] || { echo "soak-day: libfaketime is missing (apt install libfaketime)" >&2; exit 1; }
for tool in xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "soak-day: $tool is missing" >&2; exit 1; }
done
[[ -x "$quillet" ]] || { echo "soak-day: $quillet is not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-soak.XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    bash "$root/scripts/x-test-server.sh" stop || true
    bash "$root/scripts/pulse-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/x-test-server.sh" 1024x768)"
eval "$(bash "$root/scripts/pulse-test-server.sh")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# Settings: the defaults with the quick start into the small window (DSTimer = 1).
mkdir -p "$work/config/quillet"
bash "$root/scripts/settings-record.sh" DSTimer=1 >"$work/config/quillet/User.dat"

# Fake time is worked out from real time: libfaketime starts the program's clock at fake_start
# and runs it `speed` times as fast, so a constant offset (the start-up) is all that differs.
now_ns() { date +%s%N; }
t0=$(now_ns)
XDG_CONFIG_HOME="$work/config" LD_PRELOAD="$libfaketime" FAKETIME="@$fake_start x$speed" \
    FAKETIME_DONT_RESET=1 "$quillet" >"$work/quillet.log" 2>&1 &
pid=$!
fake() { echo $((($(now_ns) - t0) * speed / 1000000)); } # fake milliseconds since the start
end_ms=$((hours * 3600 * 1000))

window() { xdotool search --onlyvisible --class quillet 2>/dev/null | tail -n 1 || true; }
rss_kib() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0; }
ms_text() { # 12345678 -> 3:25:45.7
    local ms=$1 s
    s=$((ms / 1000))
    printf '%d:%02d:%02d.%d' $((s / 3600)) $((s / 60 % 60)) $((s % 60)) $((ms % 1000 / 100))
}
seconds_of() { # 0:9:5 -> 545 (a late tick shows a negative last field)
    local h m s
    IFS=: read -r h m s <<<"$1"
    echo $((h * 3600 + m * 60 + s))
}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The countdowns' due times (fake ms) as the last caption told them; the prompts seen.
train_due= dog_due= state=none
prompts_train=0 prompts_dog=0 worst_late=0 worst_early=0 looks=0 slowest_look=0
rss_first=0 rss_base=0 rss_base_at=$((end_ms < 2 * 3600000 ? end_ms / 4 : 3600000)) rss_max=0
last_rss_at=-1000000
log="$work/events.log"
: >"$log"
counting='^Training: (-?[0-9]+:-?[0-9]+:-?[0-9]+)     Wachhund: (-?[0-9]+:-?[0-9]+:-?[0-9]+)$'

while :; do
    kill -0 "$pid" 2>/dev/null || { fail "the program ended by itself"; break; }
    before=$(fake)
    ((before >= end_ms)) && break
    id=$(window)
    if [[ -z "$id" ]]; then
        sleep 0.05
        continue
    fi
    # The outer size, frame included, as the board means its sizes; the caption in the same go.
    props=$(xprop -id "$id" _NET_FRAME_EXTENTS WM_NAME 2>/dev/null) || true
    name=$(sed -n 's/^WM_NAME([^)]*) = "\(.*\)"$/\1/p' <<<"$props")
    ext=$(sed -n 's/^_NET_FRAME_EXTENTS([^)]*) = //p' <<<"$props" | tr -d ,)
    read -r fl fr ft fb <<<"${ext:-0 0 0 0}"
    size=$(xwininfo -id "$id" 2>/dev/null | awk -v fw=$((fl + fr)) -v fh=$((ft + fb)) '
        /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print w + fw "x" h + fh}') || true
    now=$(fake)
    look=$((now - before))
    ((look > slowest_look)) && slowest_look=$look
    looks=$((looks + 1))
    # When the caption and the size were read lies somewhere between before and now.
    at=$(((before + now) / 2))

    if [[ "$size|$name" != "${last_look:-}" ]]; then
        echo "$(ms_text "$at")  $size \"$name\"" >>"$work/looks.log"
        last_look="$size|$name"
    fi
    if [[ "$size" == 337x63 && "$name" =~ $counting ]]; then
        # The caption shows whole seconds left, truncated: due within the next second.
        train_due=$((at + $(seconds_of "${BASH_REMATCH[1]}") * 1000 + 500))
        dog_due=$((at + $(seconds_of "${BASH_REMATCH[2]}") * 1000 + 500))
        state=small
    elif [[ "$size" == 335x168 || "$size" == 333x168 ]] && [[ "$state" != "$size" ]]; then
        if [[ "$size" == 335x168 ]]; then kind=watchdog due=$dog_due; prompts_dog=$((prompts_dog + 1))
        else kind=training due=$train_due; prompts_train=$((prompts_train + 1)); fi
        if [[ -n "$due" ]]; then
            # Seen at the earliest at `before`, at the latest at `now`.
            late=$((before - due)) early=$((due - now))
            ((late > worst_late)) && worst_late=$late
            ((early > worst_early)) && worst_early=$early
            printf '%s  %-8s prompt, due %s, seen %s..%s\n' "$(ms_text "$at")" "$kind" \
                "$(ms_text "$due")" "$(ms_text "$before")" "$(ms_text "$now")" >>"$log"
            ((late <= tolerance * 1000)) || fail "the $kind prompt at $(ms_text "$at") came $((late / 1000)) s late"
            ((early <= tolerance * 1000)) || fail "the $kind prompt at $(ms_text "$at") came $((early / 1000)) s early"
        fi
        state=$size
    fi

    if ((now - last_rss_at >= 300000)); then # every 5 fake minutes
        rss=$(rss_kib)
        ((rss_first == 0)) && rss_first=$rss
        ((rss_base == 0 && now >= rss_base_at)) && rss_base=$rss
        ((rss > rss_max)) && rss_max=$rss
        echo "$(ms_text "$now")  RSS $rss KiB  caption \"$name\"" >>"$work/rss.log"
        last_rss_at=$now
    fi
    sleep 0.03
done
rss_end=$(rss_kib)
real_s=$((($(now_ns) - t0) / 1000000000))

cat "$log"
echo "---- soak-day: $(ms_text "$end_ms") of fake time at x$speed in $real_s s of real time, from $fake_start"
echo "prompts: $prompts_train training, $prompts_dog watchdog"
echo "timing: latest $((worst_late / 1000)).$((worst_late % 1000 / 100)) s late, earliest $((worst_early / 1000)).$((worst_early % 1000 / 100)) s early (tolerance $tolerance s); $looks looks, the slowest took $((slowest_look / 1000)).$((slowest_look % 1000 / 100)) s of fake time"
echo "RSS: $rss_first KiB at the start, $rss_base KiB at $(ms_text "$rss_base_at"), $rss_end KiB at the end, at most $rss_max KiB"
echo "RSS growth from $(ms_text "$rss_base_at") to the end: $((rss_end - rss_base)) KiB"
# Every prompt that was due must have come (counted at one less for one about to come). A cycle
# is a training prompt after 45 min and its 7 s; the watchdog comes four times in it, each
# counting afresh after its own prompt's 7 s.
cycle=$(((45 * 60 + 7) * 1000))
expect_train=$((end_ms / cycle))
expect_dog=$((expect_train * 4))
for k in 1 2 3 4; do
    ((end_ms % cycle >= (k * 600 + (k - 1) * 7) * 1000)) && expect_dog=$((expect_dog + 1))
done
((prompts_dog + 1 >= expect_dog)) || fail "only $prompts_dog watchdog prompts seen, about $expect_dog due"
((prompts_train + 1 >= expect_train)) || fail "only $prompts_train training prompts seen, about $expect_train due"
((rss_end - rss_base < 1024)) || fail "RSS grew by $((rss_end - rss_base)) KiB"
if ((failures > 0)); then
    echo "---- the program's output" >&2
    tail -n 40 "$work/quillet.log" >&2
    exit 1
fi
echo "soak-day: all checks passed"
