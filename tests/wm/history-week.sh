#!/usr/bin/env bash
# Days of breaks, fast: the real program under a window manager (openbox on a private Xvfb),
# started once a day for three days with libfaketime running its clocks 60 times as fast from
# 09:00 of that day. Each day a sequence is started by hand and stopped, and the training prompt
# is followed (every other day) or left to run out. Three days are the fewest that show every
# sequence (by hand the first three, from the prompts the second and the fourth), both ends of a
# prompt, and days of one and of two sequences. The record must hold what was done, and the
# window "Verlauf", opened with Ctrl+H on the last day, must draw the bars the record holds: each
# day's bar as high as its minutes, each sequence's part as its share.
#   bash tests/wm/history-week.sh <quillet binary> [screenshot.png]
set -euo pipefail
quillet=$(realpath "$1")
shot_out=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

find_libfaketime
needs xdotool xwininfo xprop sqlite3 import convert
begin_run history
start_x_with_wm 1024x768
sanitizer_options preloaded
pid=
at_exit '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null'

# Training every 6 minutes, its prompt on the screen for 2 minutes; no watchdog, no sound.
mkdir -p "$work/data"
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T2On=0 m1=6 mSTr=2 sSTr=0 \
    >"$work/config/quillet/User.dat"
db="$work/data/quillet/verlauf.sqlite"

# The program's window shown by the window manager whose caption matches `1` and whose size
# ("333x198") matches `2`.
window_like() { # caption size
    local id name size
    for id in $(windows_of "$pid"); do
        managed "$id" || continue
        name=$(xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([^)]*) = "\(.*\)"$/\1/p')
        size=$(geometry_of "$id" | awk '{print $3 "x" $4}')
        if [[ "$name" =~ $1 && "$size" =~ $2 ]]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
# Waits until the program shows such a window (any size without `2`), and prints its id; false
# when the program ended first.
wait_window() { # caption [size]
    local want_name=$1 want_size=${2:-.} found
    wait_until "$pid" 'found=$(window_like "$want_name" "$want_size")' && echo "$found"
}
# Clicks button `2` (0 breathing ... 9 close) of the bar in window `1`, which lies at the bottom
# right of its client area, or `3` pixels above it (a prompt's strip with "Später" below).
click_button() {
    local id=$1 n=$2 below=${3:-0} x y w h left
    read -r x y w h < <(geometry_of "$id")
    left=$((w - 337))
    ((left >= 0)) || left=$((w - 335 < 0 ? w - 335 : 0))
    xdotool mousemove $((x + left + 4 + 33 * n + 15)) $((y + h - below - 39 + 20)) click 1
}
counting='^Training: '
small_size='^3[0-9][0-9]x[0-9][0-9]$' # the small window: the bar and a caption
prompt_size='^333x198$'
in_sequence='(Atem|Körper|Augen|Entspannungs)übungen'
# True once the small window is the active one, asked for as a pager asks: the board's native
# window may be replaced meanwhile (after a sequence, a prompt), so it is looked up on each try.
small_active() {
    small=$(window_like "$counting" "$small_size") || return 1
    [[ "$(active_window)" == "$small" ]] && return 0
    timeout 5 xdotool windowactivate --sync "$small" >/dev/null 2>&1 || true
    [[ "$(active_window)" == "$small" ]]
}
# A sequence runs this many seconds before it is stopped: as many minutes of its own time, which
# the record holds and the bars show.
runs() { sleep "$1"; }

days=(2026-11-30 2026-12-01 2026-12-02)
for d in "${!days[@]}"; do
    day=${days[$d]}
    step "$day: the small window"
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" \
        LD_PRELOAD="$libfaketime" FAKETIME="@$day 09:00:00 x60" FAKETIME_DONT_RESET=1 \
        "$quillet" >>"$work/quillet.log" 2>&1 &
    pid=$!
    small=$(wait_window "$counting" "$small_size") || { fail "$day: no small window"; break; }
    # By hand: a sequence of the day, stopped with the close button after a while.
    step "$day: a sequence by hand"
    click_button "$small" $((d % 4))
    board=$(wait_window "$in_sequence") || { fail "$day: the sequence did not start"; break; }
    runs $((1 + d % 3))
    click_button "$board" 9
    small=$(wait_window "$counting" "$small_size") || { fail "$day: not back in the small window"; break; }
    # The training prompt: followed on the first, third, ... day, else left to run out.
    step "$day: the training prompt"
    prompt=$(wait_window "$counting" "$prompt_size") || { fail "$day: no training prompt"; break; }
    if ((d % 2 == 0)); then
        click_button "$prompt" $(((d + 1) % 4)) 30
        board=$(wait_window "$in_sequence") || { fail "$day: the prompt was not followed"; break; }
        runs 2
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
    step "Ctrl+H opens the window Verlauf"
    wait_until "$pid" small_active || fail "the small window never became the active one"
    xdotool key --clearmodifiers ctrl+h
    history=$(wait_window '^Verlauf ') || fail "Ctrl+H opened no window Verlauf"
fi
if ((failures == 0)); then
    # What the record holds: per day the runs' seconds by sequence, and the prompts.
    echo "record:"
    sqlite3 "$db" "SELECT substr(started,1,10), sequence, seconds, completed, from_prompt FROM runs" |
        sed 's/^/  run /'
    sqlite3 "$db" "SELECT substr(at,1,10), kind, outcome FROM prompts" | sed 's/^/  prompt /'
    followed=$(sqlite3 "$db" "SELECT count(*) FROM prompts WHERE outcome = 1")
    ignored=$(sqlite3 "$db" "SELECT count(*) FROM prompts WHERE outcome = 2")
    from_prompt=$(sqlite3 "$db" "SELECT count(*) FROM runs WHERE from_prompt = 1")
    by_hand=$(sqlite3 "$db" "SELECT count(*) FROM runs WHERE from_prompt = 0")
    # A prompt followed on every other day from the first, left on the others; one run by hand a day.
    want_followed=$(((${#days[@]} + 1) / 2)) want_ignored=$((${#days[@]} / 2))
    ((followed == want_followed && ignored == want_ignored)) ||
        fail "prompts followed/ignored: $followed/$ignored, $want_followed/$want_ignored expected"
    ((from_prompt == want_followed && by_hand == ${#days[@]})) ||
        fail "runs from a prompt/by hand: $from_prompt/$by_hand, $want_followed/${#days[@]} expected"

    sqlite3 -separator ' ' "$db" "SELECT substr(started,1,10),
            sum(CASE sequence WHEN 0 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 1 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 2 THEN seconds ELSE 0 END),
            sum(CASE sequence WHEN 3 THEN seconds ELSE 0 END)
        FROM runs GROUP BY 1 HAVING sum(seconds) > 0 ORDER BY 1" >"$work/days"
    # The bars as drawn: per column of the window's picture, the pixels of each sequence's colour
    # below the legend (the topmost row of squares in those colours); a bar is a run of columns
    # that have any.
    bars_drawn() {
        import -window "$history" "$work/history.png" 2>/dev/null || return 1
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
    }
    # The window is drawn once the window manager shows it; a bar for each day of the record is
    # awaited, as a user would glance at it.
    step "the window Verlauf draws its bars"
    holds_within "$pid" 10 'managed "$history" && bars_drawn &&
        (($(wc -l <"$work/bars") == $(wc -l <"$work/days")))' || true
    [[ -n "$shot_out" ]] && cp "$work/history.png" "$shot_out"
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
    step "Escape closes the window Verlauf"
    xdotool key --clearmodifiers Escape
    holds_within "$pid" 5 '! xdotool search --onlyvisible --name "^Verlauf " >/dev/null 2>&1' ||
        fail "Escape left the window open"
    step "the context menu opens the window Verlauf"
    wait_until "$pid" small_active || fail "the small window never became the active one"
    # The menu is a window of the program's own beside the small window, which stays.
    menu_shown() { [[ -n "$(windows_of "$pid" | grep -vx "$small")" ]] && managed "$small"; }
    xdotool key --clearmodifiers shift+F10
    wait_until "$pid" menu_shown || fail "Shift+F10 opened no context menu"
    xdotool key --clearmodifiers Down Down Return
    wait_window '^Verlauf ' >/dev/null || fail "the context menu's entry opened no window Verlauf"
fi

if ((failures > 0)); then
    echo "--- program output" >&2
    tail -n 30 "$work/quillet.log" >&2 || true
    exit 1
fi
echo "history-week: the window's bars match the record"
