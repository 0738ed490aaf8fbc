#!/usr/bin/env bash
# The real program on XFCE's own components: a private Xvfb with xfwm4 (XFCE's default theme and
# compositor) and xfce4-panel with its status tray, on a session bus of the run's own with
# XFCE's settings daemon (xfconfd). What only they show:
#   a. the small window keeps its whole button bar under xfwm4's frame;
#   b. the panel started after the program shows the program's icon within a few seconds;
#   c. the watchdog's prompt comes while the user types into a terminal and takes no key from
#      it: every key arrives there, the terminal stays the active window, no sequence starts.
#   bash tests/wm/xfce.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs Xvfb xfwm4 xfce4-panel xterm xdotool xprop xwininfo gdbus dbus-daemon sqlite3
begin_run xfce
begin=$SECONDS

mkdir -p "$work/data"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data"
export XDG_CURRENT_DESKTOP=XFCE
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE SESSION_MANAGER
sanitizer_options

step "the desktop: X server, session bus, xfwm4"
start_bare_x 1024x768 "$work" || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
start_session_bus "$work/runtime" || { echo "FAIL: no session bus" >&2; exit 1; }
xfce_panel_config
start_xfwm4 "$work" || { echo "FAIL: xfwm4 did not take the screen" >&2; exit 1; }
app= terminal_pid= typist_pid=
at_exit 'for p in "$typist_pid" "$app" "$terminal_pid"; do [[ -z "$p" ]] || kill "$p" 2>/dev/null; done'

# The watchdog every 20 s, its prompt shown for 7 s; no training prompt.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 T1On=0 h2=0 m2=0 s2=20 sS=7 \
    >"$work/config/quillet/User.dat"
step "the program starts into its small window"
"$quillet" >"$work/quillet.log" 2>&1 &
app=$!
started=$SECONDS
wait_until "$app" '[[ "$(board_caption "$app")" =~ $small_caption ]]' ||
    { echo "FAIL: the program ended without its small window" >&2; cat "$work/quillet.log" >&2; exit 1; }

# ---- a. the whole bar under xfwm4's frame (the bar is 335 x 39 of the client area)
step "a. the small window's client area holds the bar (335 x 39)"
board=$(board_window "$app")
bar_whole() { read -r _ _ cw ch < <(geometry_of "$board") && ((cw >= 335 && ch >= 39)); }
holds_within "$app" 5 bar_whole || true
read -r _ _ cw ch < <(geometry_of "$board")
read -r fl fr ft fb < <(frame_of "$board")
echo "small window under xfwm4: client ${cw}x${ch}, frame left $fl right $fr top $ft bottom $fb"
((ft > 0)) || fail "xfwm4 drew no frame around the small window"
((cw >= 335 && ch >= 39)) || {
    fail "the small window's client area is ${cw}x${ch}: the bar (335 x 39) is cut"
    xwininfo -id "$board" | sed -n '/Absolute/p; /Width/p; /Height/p' >&2
}

# ---- c. a prompt while the user types into another program
step "c. a terminal the user types into, with the keys"
received="$work/received" typed="$work/typed"
: >"$typed"
# The terminal's shell hands on every key as it comes (no line editing, no echo).
xterm -T quillet-typing -geometry 70x8+10+560 \
    -e sh -c 'stty -icanon -echo && exec cat >"$0"' "$received" >"$work/xterm.log" 2>&1 &
terminal_pid=$!
terminal_window() { xdotool search --onlyvisible --name '^quillet-typing$' 2>/dev/null | head -n 1 || true; }
wait_until "$terminal_pid" '[[ -e "$received" && -n "$(terminal_window)" ]]' ||
    { echo "FAIL: xterm did not start" >&2; cat "$work/xterm.log" >&2; exit 1; }
terminal=$(terminal_window)
timeout 10 xdotool windowactivate --sync "$terminal" 2>/dev/null || xdotool windowactivate "$terminal"
wait_until "$app" '[[ "$(active_window)" == "$terminal" ]]' || { echo "FAIL: the program ended" >&2; exit 1; }
[[ "$(board_caption "$app")" =~ $small_caption ]] ||
    { echo "FAIL: the prompt came before the typing began; a longer interval is needed" >&2; exit 1; }

typist() {
    local n=0 chunk
    while [[ ! -e "$work/stop" ]]; do
        n=$((n + 1))
        chunk="eins zwei drei $n"$'\n' # letters, Space and Return
        printf '%s' "$chunk" >>"$typed"
        xdotool type --delay 50 "$chunk"
    done
}
typist &
typist_pid=$!

# Watches the desktop while the user types: who has the keys, what the program's windows show.
lost_to="" sequence="" prompt_shown=0
sequences='^(Atem|Körper|Augen|Entspannungs)übungen   /   '
look_while_typing() {
    local active w name
    active=$(active_window)
    if [[ "$active" != "$terminal" && -z "$lost_to" ]]; then
        lost_to="window ${active:-none} \"$(caption_of "$active")\" at $((SECONDS - started)) s"
        [[ -n "$active" ]] && xprop -id "$active" WM_HINTS _NET_WM_WINDOW_TYPE _NET_WM_STATE \
            _NET_WM_USER_TIME WM_TRANSIENT_FOR >"$work/thief.txt" 2>&1
    fi
    prompt_shown=0
    for w in $(windows_of "$app"); do
        name=$(caption_of "$w")
        [[ "$name" =~ $sequences && -z "$sequence" ]] && sequence=$name
        [[ "$name" == Quillet* ]] && prompt_shown=1
    done
    return 0
}
step "c. the watchdog's prompt comes while the user types"
# A prompt that takes the keys may be gone with the next key (a sequence started by it).
until look_while_typing && ((prompt_shown)) || [[ -n "$lost_to$sequence" ]]; do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
prompt_at=$((SECONDS - started))
step "c. the prompt ends while the user types on"
while look_while_typing && ((prompt_shown)); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
after=$((SECONDS + 2))
while ((SECONDS < after)); do
    look_while_typing
    sleep 0.1
done
touch "$work/stop"
wait "$typist_pid" || true
typist_pid=
step "c. every key typed arrived in the terminal"
holds_within "$terminal_pid" 10 '[[ $(stat -c %s "$received") -ge $(stat -c %s "$typed") ]]' || true
echo "prompt at $prompt_at s; $(wc -c <"$typed") characters typed, $(wc -c <"$received") arrived"
if ! cmp -s "$typed" "$received"; then
    at=$(cmp "$typed" "$received" 2>&1 | grep -o -E '(byte|after byte) [0-9]+' | head -n 1 | tr -dc 0-9 || true)
    at=${at:-1}
    from=$((at > 20 ? at - 20 : 1))
    fail "keys typed into the terminal did not arrive there, from character $at on:
      typed   \"$(tail -c "+$from" "$typed" | head -c 60 | tr '\n' '|')\"
      arrived \"$(tail -c "+$from" "$received" | head -c 60 | tr '\n' '|')\""
fi
[[ -z "$lost_to" ]] || fail "the terminal lost the keys to $lost_to; that window:
$(sed 's/^/      /' "$work/thief.txt")"
[[ -z "$sequence" ]] || fail "a sequence started: \"$sequence\""
record="$XDG_DATA_HOME/quillet/verlauf.sqlite"
if [[ -e "$record" ]]; then
    runs=$(sqlite3 "$record" 'SELECT count(*) FROM runs')
    ((runs == 0)) || fail "the record holds $runs sequence runs, the first: $(sqlite3 "$record" \
        'SELECT started, sequence, seconds, completed, from_prompt FROM runs ORDER BY id LIMIT 1')"
fi

# ---- b. the panel, started after the program, shows its icon
step "b. XFCE's panel starts after the program"
start_xfce_panel "$work" || { echo "FAIL: xfce4-panel did not start its tray" >&2; exit 1; }
panel_at=$SECONDS
step "b. the panel shows the program's icon"
if holds_within "$app" 10 'panel_shows "$app"'; then
    echo "icon in the panel $((SECONDS - panel_at)) s after the panel started"
else
    fail "the panel started after the program shows no icon of it"
    echo "items registered with the panel: \"$(panel_items | tr '\n' ' ')\"; its tray's windows:" >&2
    for w in $(xdotool search --class wrapper-2.0 2>/dev/null); do
        xwininfo -tree -id "$w" 2>/dev/null | sed -n '/children\|child:/,$p' >&2
    done
fi

kill -0 "$app" 2>/dev/null || fail "the program ended by itself"
echo "xfce: $((SECONDS - begin)) s"
if ((failures)); then
    echo "--- the program's output" >&2
    tail -n 20 "$work/quillet.log" >&2
    exit 1
fi
echo "xfce: all checks passed"
