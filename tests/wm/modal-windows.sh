#!/usr/bin/env bash
# The help, settings and imprint windows of the real program under a window manager (openbox on
# a private Xvfb, 1024x768): each is a dialog of the board that asks for no minimise button and
# comes up centred with the frame the window manager gives it; minimised all the same, it stays
# modal, comes back with the board, closes with Escape and opens again. A report raised while
# the help window is open (its settings cannot be saved) lies above the help window; one raised as
# a sequence starts by keyboard has the keyboard.
#   bash tests/wm/modal-windows.sh <quillet binary>
# QUILLET_WM_SHOT=<file.png> keeps a picture of the screen with the report over the help window.
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

needs xdotool xprop xwininfo
begin_run modal
start_x_with_wm 1024x768
sanitizer_options
pid=
at_exit '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null'

# Quick start into the small window; the countdowns are far off, so nothing comes in between.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 >"$work/config/quillet/User.dat"
start() { # [command prefix ...]
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$@" "$quillet" \
        >>"$work/quillet.log" 2>&1 &
    pid=$!
}
stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}

# The visible window whose name starts with $1 (a pattern), or nothing.
named() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1 || true; }
# Waits up to $2 seconds for the window named $1 to be shown by the window manager; prints it.
wait_named() { # pattern seconds
    local pattern=$1 found
    holds_within "$pid" "$2" 'found=$(named "$pattern") && [[ -n "$found" ]] && managed "$found"' &&
        echo "$found"
}
wait_gone() { # pattern seconds
    local pattern=$1
    holds_within "$pid" "$2" '[[ -z $(named "$pattern") ]]'
}
# Client rectangle and frame of a window: sets x y w h and fl fr ft fb.
geometry() {
    read -r fl fr ft fb < <(frame_of "$1")
    read -r x y w h < <(geometry_of "$1")
}
# Presses a button of the small window's bar (its offset within the bar). After a modal window
# the caption counts again within a second. Back from its icon the board is mapped where the
# window manager puts it before the program moves it to its place (`home`, where it first came):
# the press waits for that.
home=
press() {
    local small
    small=$(wait_named 'Training: ' 5) || { fail "the small window is not there to press"; return 0; }
    [[ -z "$home" ]] || holds_within "$pid" 5 '[[ "$(geometry_of "$small")" == "$home" ]]' || true
    geometry "$small"
    xdotool mousemove $((x + $1 + 15)) $((y + h - 39 + 20)) click 1
}
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ,; }
# Reads the motif hints' functions and decorations.
motif() { xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p' | tr -d , | awk '{print $2, $3}'; }

start
board=$(wait_named 'Training: ' 20) || { fail "the small window never came"; cat "$work/quillet.log" >&2; exit 1; }
home=$(geometry_of "$board")

# ---- each modal window: a dialog of the board without minimise, centred, and it survives being
# minimised all the same.
for entry in "202 Hilfe" "235 Menue" "268 Impressum"; do
    read -r offset title <<<"$entry"
    press "$offset"
    id=$(wait_named "$title" 5) || { fail "$title did not open"; continue; }
    read -r functions decorations < <(motif "$id")
    (((functions & 0x8) == 0)) || fail "$title asks for a minimise function (motif functions $functions)"
    (((decorations & 0x20) == 0)) || fail "$title asks for a minimise button (motif decorations $decorations)"
    [[ $(xprop -id "$id" _NET_WM_WINDOW_TYPE) == *_NET_WM_WINDOW_TYPE_DIALOG* ]] ||
        fail "$title is not a dialog"
    [[ $(xprop -id "$id" WM_TRANSIENT_FOR) == *"$(printf '0x%x' "$board")" ]] ||
        fail "$title is not transient for the board: $(xprop -id "$id" WM_TRANSIENT_FOR)"
    # Placed with the window manager's own frame from the start: the outer rectangle centred.
    geometry "$id"
    ow=$((w + fl + fr)) oh=$((h + ft + fb))
    ((ft > 0)) || fail "$title has no frame"
    [[ "$((x - fl)) $((y - ft))" == "$(((1024 - ow) / 2)) $(((768 - oh) / 2))" ]] ||
        fail "$title at ${ow}x${oh}+$((x - fl))+$((y - ft)) is not centred"

    # Minimised all the same (openbox offers it whatever a window asks): it stays modal.
    timeout 10 xdotool windowminimize --sync "$id" 2>/dev/null || fail "$title could not be minimised"
    holds_within "$pid" 5 '[[ $(wm_state "$id") == Iconic ]]' || true
    # The board is asked to the front; the dialog may take the focus in its place.
    xdotool windowactivate "$board" 2>/dev/null || true
    id=$(wait_named "$title" 5) || { fail "$title did not come back with the board"; continue; }
    timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key Escape
    wait_gone "$title" 5 || { fail "$title does not close with Escape after it was minimised"; continue; }
    # The board takes clicks again: the window opens once more and closes.
    press "$offset"
    id=$(wait_named "$title" 5) || { fail "$title does not open again after it was minimised"; continue; }
    timeout 10 xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key Escape
    wait_gone "$title" 5 || fail "$title does not close with Escape the second time"
done
stop

# ---- a report raised while the help window is open: the help command saves the settings into
# a folder that cannot be written, and the report of it lies above the help window.
if (($(id -u) == 0)); then
    # Root writes anywhere; a read-only bind mount in a mount namespace of its own stops it.
    if unshare --mount --propagation private true 2>/dev/null; then
        printf -v quoted '%q' "$work/config/quillet"
        start unshare --mount --propagation private bash -c \
            "mount --bind $quoted $quoted && mount -o remount,bind,ro $quoted && exec \"\$0\""
    else
        echo "modal-windows: no mount namespace here; the report check is skipped" >&2
    fi
else
    chmod a-w "$work/config/quillet"
    start
fi
if [[ -n "$pid" ]]; then
    board=$(wait_named 'Training: ' 20) || fail "the small window never came (read-only settings)"
    home=$(geometry_of "$board")
    press 202
    help=$(wait_named 'Hilfe' 5) || fail "the help window did not open"
    box=$(wait_named 'Quillet$' 5) || fail "no report that the settings cannot be saved"
    if [[ -n "$help" && -n "$box" ]]; then
        [[ $(xprop -id "$box" WM_TRANSIENT_FOR) == *"$(printf '0x%x' "$help")" ]] ||
            fail "the report is not transient for the help window"
        # The window manager stacks the two as they come; the report must end up on top.
        holds_within "$pid" 5 'above "$box" "$help"' ||
            fail "the report $(printf 0x%x "$box") lies below the help window $(printf 0x%x "$help") (stacking $(stacking))"
        [[ -n "${QUILLET_WM_SHOT:-}" ]] && import -window root "$QUILLET_WM_SHOT"
        # The report takes the keyboard from the help window the user works in, can be used
        # while that is open, and closes before it.
        holds_within "$pid" 5 '[[ "$(active_window)" == "$box" ]]' ||
            fail "the report does not have the keyboard (active: $(active_window))"
        xdotool key Return
        wait_gone 'Quillet$' 5 || fail "the report cannot be closed while the help window is open"
        timeout 10 xdotool windowactivate --sync "$help" 2>/dev/null || true
        xdotool key Escape
        wait_gone 'Hilfe' 5 || fail "the help window does not close after the report"
    fi
    stop
fi

# ---- a report raised as the board becomes a sequence: the user starts breathing by keyboard,
# its first picture is missing, and the report has the keyboard (Return closes it), though the
# board's native window was just made anew. The program finds its data beside itself first.
step "a missing picture is told to the user who started the sequence"
mkdir -p "$work/prefix/bin" "$work/prefix/share/quillet"
cp "$quillet" "$work/prefix/bin/quillet"
cp -r "$root/data/." "$work/prefix/share/quillet/"
rm "$work/prefix/share/quillet/Pictures/Atmen/atmen1.jpg"
quillet="$work/prefix/bin/quillet" start
board=$(wait_named 'Training: ' 20) || fail "the small window never came (missing picture)"
if [[ -n "$board" ]]; then
    timeout 10 xdotool windowactivate --sync "$board" 2>/dev/null || true
    xdotool key space # the breathing button has the keyboard
    if box=$(wait_named 'Quillet$' 10); then
        holds_within "$pid" 5 '[[ "$(active_window)" == "$box" ]]' ||
            fail "the report of the missing picture does not have the keyboard (active: $(active_window))"
        xdotool key Return
        wait_gone 'Quillet$' 5 || fail "Return does not close the report of the missing picture"
    else
        fail "no report of the missing picture"
    fi
fi
stop

if ((failures > 0)); then
    echo "---- the program's output" >&2
    cat "$work/quillet.log" >&2
    exit 1
fi
echo "modal windows under a window manager: all checks passed"
