#!/usr/bin/env bash
# The real program on GNOME's own compositor: mutter 43 without a screen (a virtual monitor),
# Wayland with XWayland, on a session bus and runtime folder of the run's own, with GNOME's
# settings in dconf. The program runs through XWayland as in a GNOME session, and learns of the
# user from mutter's idle monitor and from GSettings. What only they show:
#   a. the small window keeps its whole button bar under mutter's frame;
#   b. do-not-disturb (show-banners off) holds the watchdog's prompt, and the prompt comes when
#      it is switched off;
#   c. a natural break (a minute without input, as mutter counts it) starts both countdowns
#      afresh at the user's next input, given through mutter's remote desktop.
#   bash tests/wm/gnome.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs mutter Xwayland xdotool xprop xwininfo gdbus gsettings dbus-daemon
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null ||
    { echo "gnome: python3-gi is missing" >&2; exit 1; }
gsettings list-keys org.gnome.desktop.notifications 2>/dev/null | grep -x show-banners >/dev/null ||
    { echo "gnome: GNOME's notification settings are not installed (gsettings-desktop-schemas)" >&2; exit 1; }

begin_run gnome
begin=$SECONDS

mkdir -p "$work/data"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data"
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER GSETTINGS_BACKEND
sanitizer_options

step "the desktop: session bus, mutter with XWayland"
start_session_bus "$work/runtime" || { echo "FAIL: no session bus" >&2; exit 1; }
start_mutter 1024x768 "$work" || { echo "FAIL: mutter did not start" >&2; exit 1; }
on_bus org.gnome.Mutter.IdleMonitor || { echo "FAIL: mutter's idle monitor is not on the bus" >&2; exit 1; }
echo "mutter: X display $DISPLAY, Wayland display $WAYLAND_DISPLAY"
app=
at_exit '[[ -z "$app" ]] || kill "$app" 2>/dev/null'

# The watchdog every 15 s, shown for 7 s; the training every 3 minutes; a natural break after a
# minute without input; a prompt waits while do-not-disturb is on.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h1=0 m1=3 s1=0 h2=0 m2=0 s2=15 sS=7 \
    >"$work/config/quillet/User.dat"
printf '[NaturalBreak]\nenabled=true\nminutes=1\n[Hold]\ndoNotDisturb=true\n' \
    >"$work/config/quillet/quillet.conf"
gsettings set org.gnome.desktop.notifications show-banners true

step "the program starts into its small window"
mutter_input # the user is at the desk
"$quillet" >"$work/quillet.log" 2>&1 &
app=$!
started=$SECONDS
wait_until "$app" '[[ "$(board_caption "$app")" =~ $small_caption ]]' ||
    { echo "FAIL: the program ended without its small window" >&2; cat "$work/quillet.log" >&2; exit 1; }

# ---- a. the whole bar under mutter's frame
step "a. the small window's client area holds the bar (335 x 39)"
board=$(board_window "$app")
bar_whole() { read -r _ _ cw ch < <(geometry_of "$board") && ((cw >= 335 && ch >= 39)); }
holds_within "$app" 5 bar_whole || true
read -r _ _ cw ch < <(geometry_of "$board")
read -r fl fr ft fb < <(frame_of "$board")
echo "small window under mutter: client ${cw}x${ch}, frame left $fl right $fr top $ft bottom $fb"
((ft > 0)) || fail "mutter drew no frame around the small window"
((cw >= 335 && ch >= 39)) || {
    fail "the small window's client area is ${cw}x${ch}: the bar (335 x 39) is cut"
    xwininfo -id "$board" | sed -n '/Absolute/p; /Width/p; /Height/p' >&2
}

# ---- b. do-not-disturb holds the prompt
step "b. do-not-disturb on: the watchdog's prompt falls due and waits"
gsettings set org.gnome.desktop.notifications show-banners false
prompting() { [[ "$(board_caption "$app")" == Quillet* ]]; }
waiting() { [[ "$(board_caption "$app")" =~ Wachhund:\ wartet$ ]]; }
wait_until "$app" 'waiting || prompting' || { echo "FAIL: the program ended" >&2; exit 1; }
if prompting; then
    fail "the prompt came while do-not-disturb was on (\"$(gsettings get org.gnome.desktop.notifications show-banners)\")"
    wait_until "$app" '! prompting' || true
else
    held=$((SECONDS + 2))
    while ((SECONDS < held)); do
        prompting && { fail "the held prompt came while do-not-disturb was on"; break; }
        sleep 0.1
    done
    step "b. do-not-disturb off: the prompt comes"
    gsettings set org.gnome.desktop.notifications show-banners true
    released=$(date +%s%N)
    if holds_within "$app" 5 prompting; then
        echo "held prompt shown $((($(date +%s%N) - released) / 1000000)) ms after do-not-disturb ended"
    else
        fail "the held prompt did not come after do-not-disturb ended (caption \"$(board_caption "$app")\")"
    fi
fi
step "b. the prompt ends, the countdowns run"
wait_until "$app" '[[ "$(board_caption "$app")" =~ Wachhund:\ 0:0: ]]' || { echo "FAIL: the program ended" >&2; exit 1; }

# ---- c. a natural break, as mutter counts the time without input
step "c. the user's last input"
mutter_input
away_from=$SECONDS
step "c. the user is away: mutter's idle time passes a minute"
wait_until "$app" '(($(mutter_idle_ms) >= 60000))' || { echo "FAIL: the program ended" >&2; exit 1; }
step "c. the watchdog's prompt falls due while the user is away and waits"
wait_until "$app" 'waiting || prompting' || { echo "FAIL: the program ended" >&2; exit 1; }
# A prompt shown by then may be the last one due before the break: the next must wait.
wait_until "$app" '! prompting' || true
wait_until "$app" 'waiting || prompting' || { echo "FAIL: the program ended" >&2; exit 1; }
if prompting; then
    fail "a prompt came $((SECONDS - away_from)) s after the last input (mutter's idle time $(mutter_idle_ms) ms)"
else
    echo "the prompt waits $((SECONDS - away_from)) s after the last input: \"$(board_caption "$app")\""
fi
step "c. the user comes back: both countdowns start afresh"
before=$(board_caption "$app")
mutter_input
back=$(date +%s%N)
afresh='^Training: 0:(3:0|2:5)[0-9]     Wachhund: 0:0:1[345]$'
if holds_within "$app" 3 '[[ "$(board_caption "$app")" =~ $afresh ]]'; then
    echo "countdowns afresh $((($(date +%s%N) - back) / 1000000)) ms after the user came back"
else
    fail "the countdowns did not start afresh at the user's return: \"$before\" became \"$(board_caption "$app")\""
fi

kill -0 "$app" 2>/dev/null || fail "the program ended by itself"
echo "gnome: $((SECONDS - begin)) s"
if ((failures)); then
    echo "--- the program's output" >&2
    tail -n 20 "$work/quillet.log" >&2
    exit 1
fi
echo "gnome: all checks passed"
