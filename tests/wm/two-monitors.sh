#!/usr/bin/env bash
# The real program on a desk with two monitors side by side (openbox on a private Xvfb of
# 2048x768 split into two RandR monitors of 1024x768): the small window dragged onto the right
# monitor prompts there, a sequence started from it covers exactly that monitor, and when that
# monitor is unplugged the small window moves onto the one that is left.
#   bash tests/wm/two-monitors.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs xdotool xprop xwininfo xrandr
begin_run monitors
start_x_with_wm 2048x768
unset QT_SCALE_FACTOR
sanitizer_options
pid=
at_exit '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null'

# Two monitors, the left one primary (it keeps the server's output).
xrandr --setmonitor left 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor right 1024/270x768/203+1024+0 none >/dev/null
xrandr --listmonitors | grep '^Monitors: 2' >/dev/null || { echo "two-monitors: no two monitors" >&2; exit 1; }

# Quick start into the small window, sound off; the watchdog every 14 s, shown for 7 s.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T1On=0 h2=0 m2=0 s2=14 sS=7 \
    >"$work/config/quillet/User.dat"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$quillet" \
    >"$work/quillet.log" 2>&1 &
pid=$!
start=$SECONDS

# One look at the board's window: its client rectangle and its outer rectangle (frame included).
cx=0 cy=0 cw=0 ch=0 ox=0 oy=0 ow=0 oh=0 ft=0
window() { xdotool search --onlyvisible --class quillet 2>/dev/null | tail -n 1; }
look() {
    local id fl fr fb x y w h
    id=$(window)
    [[ -n "$id" ]] || return 1
    read -r fl fr ft fb < <(frame_of "$id")
    read -r x y w h < <(geometry_of "$id") || return 1
    [[ -n "$h" ]] || return 1
    cx=$x cy=$y cw=$w ch=$h
    ox=$((x - fl)) oy=$((y - ft)) ow=$((w + fl + fr)) oh=$((h + ft + fb))
    printf '%5.1f s  %dx%d+%d+%d\n' "$((SECONDS - start))" "$ow" "$oh" "$ox" "$oy" >>"$work/looks.log"
}
until_seen() { # seconds, condition over the last look
    local limit=$((SECONDS + $1))
    while ((SECONDS < limit)); do
        if look && eval "$2"; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}
on_left() { ((ox >= 0 && oy >= 0 && ox + ow <= 1024 && oy + oh <= 768)); }
on_right() { ((ox >= 1024 && oy >= 0 && ox + ow <= 2048 && oy + oh <= 768)); }
where() { echo "${ow}x${oh}+${ox}+${oy}"; }
press() { # button offset within the bar at the bottom right of the client area
    local bl=$((cw - 337))
    ((bl < 0)) && bl=0
    xdotool mousemove $((cx + bl + $1 + 15)) $((cy + ch - 39 + 20)) click 1
}
breathing_button=4
back_button=301

step "the small window on the primary monitor"
until_seen 30 '((ow == 337 && oh == 63 && ft > 0))' || fail "the small window never came framed"
on_left || fail "the small window starts at $(where), not on the left monitor"

step "dragged by its caption onto the right monitor"
# The frame takes the drag once the window manager shows the window in it.
wait_until "$pid" 'managed "$(window)"' || fail "the program ended"
xdotool mousemove $((ox + 150)) $((oy + ft / 2)) mousedown 1 sleep 0.3 \
    mousemove 1000 300 sleep 0.3 mousemove 1600 300 sleep 0.3 mouseup 1
until_seen 5 'on_right' || fail "the drag left the small window at $(where)"

step "the watchdog prompt on the right monitor"
until_seen 20 '((ow == 335 && oh == 198))' || fail "the watchdog prompt never came"
on_right || fail "the watchdog prompt came at $(where), not on the right monitor"
until_seen 12 '((ow == 337 && oh == 63))' || fail "the small window did not come back"
on_right || fail "the small window came back at $(where), not on the right monitor"

step "a sequence covers exactly the right monitor"
press $breathing_button
until_seen 10 '((ow == 1024 && oh == 768))' || true
[[ "$(where) $ft" == "1024x768+1024+0 0" ]] || fail "the sequence shows at $(where) (frame top $ft)"
press $back_button
until_seen 10 '((ow == 337 && oh == 63))' || fail "the small window did not come back"
on_right || fail "back from the sequence the small window is at $(where)"

step "the right monitor is unplugged"
xrandr --delmonitor right
until_seen 10 'on_left' || fail "the small window stayed at $(where) after its monitor went"
((ow == 337 && oh == 63)) || fail "the small window is $(where) on the monitor that is left"
# The next prompt comes there too.
until_seen 20 '((ow == 335 && oh == 198))' || fail "no watchdog prompt after the monitor went"
on_left || fail "the watchdog prompt came at $(where) after the monitor went"

kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
if ((failures > 0)); then
    echo "---- what the window looked like" >&2
    cat "$work/looks.log" >&2
    echo "---- the program's output" >&2
    cat "$work/quillet.log" >&2
    exit 1
fi
echo "two monitors: all checks passed ($(wc -l <"$work/looks.log") looks)"
