#!/usr/bin/env bash
# The real program on a desktop with a window manager (openbox on a private Xvfb, 1024x768):
# the small window's caption counts before and after each prompt, a prompt near the screen's
# corner lies wholly on screen, and the size cycle places the outer window as the board means it
# (the full-screen board exactly on the screen).
#   bash tests/wm/board-under-wm.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs xdotool xprop xwininfo
begin_run wm
start_x_with_wm 1024x768
sanitizer_options
pid=
at_exit '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null'

# Settings: quick start into the small window, sound off; the watchdog every 14 s, shown for 7 s,
# and the training prompt every 26 s, shown for 5 s (the shortest times the settings allow).
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h1=0 m1=0 s1=26 h2=0 m2=0 s2=14 sSTr=5 sS=7 \
    >"$work/config/quillet/User.dat"

XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$quillet" \
    >"$work/quillet.log" 2>&1 &
pid=$!
start=$SECONDS

names_differ=0
name="" wmname="" cx=0 cy=0 cw=0 ch=0 ox=0 oy=0 ow=0 oh=0 fl=0 fr=0 ft=0 fb=0

# One look at the board's window: its two names, its outer rectangle (frame included) and frame.
window() { xdotool search --onlyvisible --class quillet 2>/dev/null | tail -n 1; }
look() {
    local id
    id=$(window)
    [[ -n "$id" ]] || return 1
    local x y w h
    read -r fl fr ft fb < <(frame_of "$id")
    read -r x y w h < <(geometry_of "$id") || return 1
    [[ -n "$h" ]] || return 1
    # Both names in one go: the window may be replaced between two requests (a prompt comes).
    local names
    names=$(xprop -id "$id" _NET_WM_NAME WM_NAME 2>/dev/null) || return 1
    name=$(sed -n 's/^_NET_WM_NAME([^)]*) = "\(.*\)"$/\1/p' <<<"$names")
    wmname=$(sed -n 's/^WM_NAME([^)]*) = "\(.*\)"$/\1/p' <<<"$names")
    xwininfo -id "$id" >/dev/null 2>&1 || return 1 # gone meanwhile: not a look at all
    cx=$x cy=$y cw=$w ch=$h
    ox=$((x - fl)) oy=$((y - ft)) ow=$((w + fl + fr)) oh=$((h + ft + fb))
    printf '%5.1f s  %-44s %dx%d+%d+%d frame %s %s %s %s\n' "$((SECONDS - start))" "\"$name\"" \
        "$ow" "$oh" "$ox" "$oy" "$fl" "$fr" "$ft" "$fb" >>"$work/looks.log"
    if [[ "$name" != "$wmname" ]] && ((!names_differ)); then
        names_differ=1
        fail "WM_NAME \"$wmname\" differs from _NET_WM_NAME \"$name\""
    fi
}

counting='^Training: 0:0:[0-9]+     Wachhund: 0:0:[0-9]+$'
# Waits up to $1 seconds for the condition $2 (a shell expression over the last look).
until_seen() {
    local limit=$((SECONDS + $1))
    while ((SECONDS < limit)); do
        if look && eval "$2"; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}
on_screen() { ((ox >= 0 && oy >= 0 && ox + ow <= 1024 && oy + oh <= 768)); }

# True once two distinct countdown captions were seen within $1 seconds while $2 held; sets n to
# the number seen.
counts_while() {
    local limit=$((SECONDS + $1)) seen=""
    n=0
    while ((SECONDS < limit && n < 2)); do
        look || { sleep 0.2; continue; }
        eval "$2" || break
        [[ "$name" =~ $counting ]] && [[ "$seen" != *"|$name|"* ]] && seen+="|$name|" && n=$((n + 1))
        sleep 0.2
    done
    ((n >= 2))
}

press() { # button offset within the bar
    local bl=$((cw - 337))
    ((bl < 0)) && bl=$((cw - 335 < 0 ? cw - 335 : 0))
    xdotool mousemove $((cx + bl + $1 + 15)) $((cy + ch - 39 + 20)) click 1
}
size_button=136
clock_button=169

# ---- the small window with both countdowns
until_seen 20 '((ow == 337 && oh == 63)) && [[ "$name" =~ $counting ]]' ||
    fail "the small window with its countdowns never came"
((ft > 0)) || fail "the small window has no frame"
# The user drags it into the bottom right corner, by its caption, and a bit beyond.
from="$ox $oy"
xdotool mousemove $((ox + 150)) $((oy + ft / 2)) mousedown 1 sleep 0.2 \
    mousemove $((1024 - 337 + 150 + 40)) $((768 - 63 + ft / 2 + 40)) sleep 0.2 mouseup 1
until_seen 5 '[[ "$ox $oy" != "$from" ]]' || true
counts_while 3 '((ow == 337 && oh == 63))' ||
    fail "the caption did not count before the first prompt ($n captions)"

# ---- the watchdog prompt, near the corner
until_seen 18 '((ow == 335 && oh == 198))' || fail "the watchdog prompt never came"
((ft == 0)) || fail "the watchdog prompt has a frame"
on_screen || fail "the watchdog prompt at ${ow}x${oh}+${ox}+${oy} is not wholly on screen"
until_seen 10 '((ow == 337 && oh == 63))' || fail "the small window did not come back"
on_screen || fail "the small window at ${ow}x${oh}+${ox}+${oy} is not wholly on screen"
counts_while 3 '((ow == 337 && oh == 63))' ||
    fail "the caption did not count after the watchdog prompt ($n captions)"

# ---- the training prompt
until_seen 12 '((ow == 333 && oh == 198))' || fail "the training prompt never came"
on_screen || fail "the training prompt at ${ow}x${oh}+${ox}+${oy} is not wholly on screen"
until_seen 8 '((ow == 337 && oh == 63))' || fail "the small window did not come back"
counts_while 3 '((ow == 337 && oh == 63))' ||
    fail "the caption did not count after the training prompt ($n captions)"

# ---- minimised while it counts, then started again: the first copy comes back, still counting
wid=$(window)
timeout 10 xdotool windowminimize --sync "$wid" 2>/dev/null || fail "the small window could not be minimised"
if ! XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" timeout 10 "$quillet" \
    >"$work/second.log" 2>&1; then
    fail "the second start did not end cleanly"
fi
until_seen 5 '((ow == 337 && oh == 63))' || fail "the small window did not come back after a second start"
[[ $(xprop -id "$wid" WM_STATE 2>/dev/null) == *Iconic* ]] && fail "the small window stayed minimised"
counts_while 3 '((ow == 337 && oh == 63))' ||
    fail "the caption did not count after coming back ($n captions)"

# ---- the size cycle: time switch off gives the full screen, then Midi, Mini and full again
# Each press is awaited until the board lies where it should, for at most 5 s.
look
press $clock_button
until_seen 5 '[[ "$ow $oh $ox $oy $ft" == "1024 768 0 0 0" ]]' ||
    fail "full screen after the time switch is ${ow}x${oh}+${ox}+${oy} (frame top $ft)"
press $size_button
until_seen 5 '[[ "$ow $oh $ox $oy" == "870 654 77 57" ]] && ((ft > 0))' || {
    [[ "$ow $oh $ox $oy" == "870 654 77 57" ]] || fail "Midi is ${ow}x${oh}+${ox}+${oy}, not 870x654+77+57"
    ((ft > 0)) || fail "Midi has no frame"
}
press $size_button
until_seen 5 '[[ "$ow $oh $ox $oy" == "337 63 343 352" ]]' ||
    fail "Mini is ${ow}x${oh}+${ox}+${oy}, not 337x63+343+352"
press $size_button
until_seen 5 '[[ "$ow $oh $ox $oy $ft" == "1024 768 0 0 0" ]]' ||
    fail "the size cycle ends at ${ow}x${oh}+${ox}+${oy} (frame top $ft), not on the screen"

kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
if ((failures > 0)); then
    echo "---- what the window looked like" >&2
    cat "$work/looks.log" >&2
    echo "---- the program's output" >&2
    cat "$work/quillet.log" >&2
    exit 1
fi
echo "board under a window manager: all checks passed ($(wc -l <"$work/looks.log") looks)"
