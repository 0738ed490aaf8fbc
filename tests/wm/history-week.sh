#!/usr/bin/env bash
# A week of breaks, fast: the real program under a window manager (openbox on a private Xvfb),
# started once a day for seven days with libfaketime running its clocks 60 times as fast from
# 09:00 of that day. Each day a sequence is started by hand and stopped, and the training prompt
# is followed (every other day) or left to run out. The record must hold what was done, and the
# window "Verlauf", opened with Ctrl+H on the last day, must draw the bars the record holds: each
# day's bar as high as its minutes, each sequence's part as its share.
#   bash tests/wm/history-week.sh <quillet binary> [screenshot.png]
set -euo pipefail
quillet=$(realpath "$1")
shot_out=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

libfaketime=
for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [[ -f "$f" ]] && { libfaketime=$f; break; }
done
[[ -n "$libfaketime" ]] || { echo "history-week: libfaketime is missing" >&2; exit 1; }
for tool in xdotool xwininfo xprop sqlite3 import convert; do
    command -v "$tool" >/dev/null || { echo "history-week: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-history.XXXXXX")
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    bash "$root/scripts/x-test-server.sh" stop || true
    rm -rf -- "$work"
}
trap cleanup EXIT
eval "$(bash "$root/scripts/x-test-server.sh" 1024x768)"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    # libfaketime is preloaded ahead of the sanitizer's run-time, which it tolerates.
    export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}:verify_asan_link_order=0"
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Training every 6 minutes, its prompt on the screen for 2 minutes; no watchdog, no sound.
mkdir -p "$work/config/quillet" "$work/data" "$work/runtime"
chmod 0700 "$work/runtime"
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T2On=0 m1=6 mSTr=2 sSTr=0 \
    >"$work/config/quillet/User.dat"
db="$work/data/quillet/verlauf.sqlite"

# Waits (at most `3`, default 20 s) until the program shows a window whose caption matches `1`
# and whose size ("333x168") matches `2`; prints its id.
wait_window() {
    local pattern=$1 sizes=${2:-.} limit=$((${3:-20} * 10)) id name size
    for _ in $(seq "$limit"); do
        for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            name=$(xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([^)]*) = "\(.*\)"$/\1/p')
            size=$(xwininfo -id "$id" 2>/dev/null | awk '/^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print w "x" h}')
            if [[ "$name" =~ $pattern && "$size" =~ $sizes ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
# Clicks button `2` (0 breathing ... 9 close) of the bar in window `1`, which lies at the bottom
# right of its client area.
click_button() {
    local id=$1 n=$2 x y w h left
    read -r x y w h < <(xwininfo -id "$id" | awk '
        /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print x, y, w, h}')
    left=$((w - 337))
    ((left >= 0)) || left=$((w - 335 < 0 ? w - 335 : 0))
    xdotool mousemove $((x + left + 4 + 33 * n + 15)) $((y + h - 39 + 20)) click 1
}
counting='^Training: '
small_size='^3[0-9][0-9]x[0-9][0-9]$' # the small window: the bar and a caption
prompt_size='^333x168$'
in_sequence='(Atem|Körper|Augen|Entspannungs)übungen'

days=(2026-11-30 2026-12-01 2026-12-02 2026-12-03 2026-12-04 2026-12-05 2026-12-06)
for d in "${!days[@]}"; do
    day=${days[$d]}
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" \
        LD_PRELOAD="$libfaketime" FAKETIME="@$day 09:00:00 x60" FAKETIME_DONT_RESET=1 \
        "$quillet" >>"$work/quillet.log" 2>&1 &
    pid=$!
    small=$(wait_window "$counting" "$small_size" 30) || { fail "$day: no small window"; break; }
    # By hand: a sequence of the day, stopped with the close button after a while.
    click_button "$small" $((d % 4))
    board=$(wait_window "$in_sequence") || { fail "$day: the sequence did not start"; break; }
    sleep $((1 + d % 3))
    click_button "$board" 9
    small=$(wait_window "$counting" "$small_size") || { fail "$day: not back in the small window"; break; }
    # The training prompt: followed on the first, third, ... day, else left to run out.
    prompt=$(wait_window "$counting" "$prompt_size") || { fail "$day: no training prompt"; break; }
    if ((d % 2 == 0)); then
        sleep 0.5
        click_button "$prompt" $(((d + 1) % 4))
        board=$(wait_window "$in_sequence") || { fail "$day: the prompt was not followed"; break; }
        sleep 2
        click_button "$board" 9
    fi
    small=$(wait_window "$counting" "$small_size") || { fail "$day: no small window after the prompt"; break; }
    if ((d + 1 < ${#days[@]})); then
        kill -TERM "$pid"
        wait "$pid" || true
        pid=
    fi
done

# The last day: the window "Verlauf" by keyboard.
if ((failures == 0)); then
    xdotool windowactivate --sync "$small" 2>/dev/null || true
    xdotool key --clearmodifiers ctrl+h
    history=$(wait_window '^Verlauf ') || fail "Ctrl+H opened no window Verlauf"
fi
if ((failures == 0)); then
    sleep 1
    import -window "$history" "$work/history.png"
    [[ -n "$shot_out" ]] && cp "$work/history.png" "$shot_out"

    # What the record holds: per day the runs' seconds by sequence, and the prompts.
    echo "record:"
    sqlite3 "$db" "SELECT substr(started,1,10), sequence, seconds, completed, from_prompt FROM runs" |
        sed 's/^/  run /'
    sqlite3 "$db" "SELECT substr(at,1,10), kind, outcome FROM prompts" | sed 's/^/  prompt /'
    followed=$(sqlite3 "$db" "SELECT count(*) FROM prompts WHERE outcome = 1")
    ignored=$(sqlite3 "$db" "SELECT count(*) FROM prompts WHERE outcome = 2")
    from_prompt=$(sqlite3 "$db" "SELECT count(*) FROM runs WHERE from_prompt = 1")
    by_hand=$(sqlite3 "$db" "SELECT count(*) FROM runs WHERE from_prompt = 0")
    ((followed == 4 && ignored == 3)) ||
        fail "prompts followed/ignored: $followed/$ignored, 4/3 expected"
    ((from_prompt == 4 && by_hand == 7)) ||
        fail "runs from a prompt/by hand: $from_prompt/$by_hand, 4/7 expected"

    # The bars as drawn: per column of the picture, the pixels of each sequence's colour below
    # the legend (the topmost row of squares in those colours); a bar is a run of columns that
    # have any.
    convert "$work/history.png" -depth 8 txt:- | awk -F'[ ,:]+' '
        BEGIN { c["#CF7267"] = 0; c["#5A8B81"] = 1; c["#4B637A"] = 2; c["#E7BD5E"] = 3; top = 1e9 }
        NR > 1 {
            for (k in c) if (index($0, k " ")) {
                px[++m] = $1; py[m] = $2; pc[m] = c[k]
                if ($2 < top) top = $2
            }
        }
        END {
            for (i = 1; i <= m; i++) if (py[i] > top + 14) { n[px[i], pc[i]]++; any[px[i]] = 1 }
            inbar = 0
            for (x = 0; x < 2000; x++) {
                if (x in any) {
                    if (!inbar) { inbar = 1; w = 0; for (s = 0; s < 4; s++) sum[s] = 0 }
                    w++; for (s = 0; s < 4; s++) sum[s] += n[x, s]
                } else if (inbar) {
                    inbar = 0
                    printf "%d", w
                    for (s = 0; s < 4; s++) printf " %.1f", sum[s] / w
                    printf "\n"
                }
            }
        }' >"$work/bars"
    sqlite3 -separator ' ' "$db" "SELECT substr(started,1,10),
            sum(CASE sequence WHEN 0 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 1 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 2 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 3 THEN seconds ELSE 0 END)
        FROM runs GROUP BY 1 HAVING sum(seconds) > 0 ORDER BY 1" >"$work/days"
    echo "bars drawn (width, pixels of each sequence):"
    sed 's/^/  /' "$work/bars"
    # Heights against seconds: the same scale for every bar and part, within 1.5 pixels.
    paste -d ' ' "$work/days" "$work/bars" | awk '
        { for (s = 0; s < 4; s++) { sec[NR, s] = $(2 + s); px[NR, s] = $(7 + s)
              if ($(2 + s) > 0 && $(7 + s) > 0) { scale += $(7 + s); secs += $(2 + s) } } }
        END {
            if (NR == 0 || secs == 0) { print "no bars"; exit 1 }
            k = scale / secs; bad = 0
            for (i = 1; i <= NR; i++) for (s = 0; s < 4; s++) {
                d = px[i, s] - sec[i, s] * k
                if (d > 1.5 || d < -1.5) { printf "day %d sequence %d: %.1f px for %d s\n", i, s, px[i, s], sec[i, s]; bad = 1 }
            }
            exit bad
        }' || fail "the bars do not match the record"
    [[ $(wc -l <"$work/bars") -eq $(wc -l <"$work/days") ]] ||
        fail "$(wc -l <"$work/bars") bars drawn, $(wc -l <"$work/days") days in the record"
fi

# Closed with Escape, the window comes again from the context menu by keyboard: Shift+F10 opens
# it on its first entry (the pause), and "Verlauf …" is two entries down, after "Weitere
# Einstellungen …".
if ((failures == 0)); then
    xdotool key --clearmodifiers Escape
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Verlauf ' >/dev/null 2>&1 || break
        sleep 0.1
    done
    ! xdotool search --onlyvisible --name '^Verlauf ' >/dev/null 2>&1 || fail "Escape left the window open"
    xdotool windowactivate --sync "$small" 2>/dev/null || true
    xdotool key --clearmodifiers shift+F10
    sleep 0.5
    xdotool key --clearmodifiers Down Down Return
    wait_window '^Verlauf ' >/dev/null || fail "the context menu's entry opened no window Verlauf"
fi

if ((failures > 0)); then
    echo "--- program output" >&2
    tail -n 30 "$work/quillet.log" >&2 || true
    exit 1
fi
echo "history-week: the window's bars match the record"
