# Helpers for the scripts that drive the real program under a window manager. Every wait is for
# a condition, never for a time: a loaded machine only makes it take longer (ctest's timeout is
# the bound), and a program that has died ends the wait at once.

# The visible top-level windows of a process, one id a line.
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }

# Waits until the shell expression $2 holds, while the process $1 runs; false if it ended first.
wait_until() { # pid expression
    until eval "$2"; do
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
}

# Waits until the process $1 shows a window.
wait_for_window() { wait_until "$1" '[[ -n "$(windows_of "$1")" ]]'; }

# The window manager's state of a window: Normal, Iconic or Withdrawn.
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: //p'; }

# A window's client rectangle on the screen: x y width height.
geometry_of() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4}
        /Absolute upper-left Y/ {y=$4} /^ *Width/ {w=$2} /^ *Height/ {h=$2}
        END {print x, y, w, h}'
}

# A fingerprint of what a window shows in a rectangle (x y width height, window coordinates).
picture_of() { # window x y w h
    import -window "$1" -crop "$4x$5+$2+$3" +repage rgb:- 2>/dev/null | md5sum
}

# True when the window $1 lies above the window $2 (the window manager's stacking order).
above() { # upper lower
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed 's/.*# //; s/,//g')
    local upper lower i=0
    for w in $order; do
        ((w == $1)) && upper=$i
        ((w == $2)) && lower=$i
        i=$((i + 1))
    done
    [[ -n "${upper:-}" && -n "${lower:-}" ]] && ((upper > lower))
}

# Prints what the script is about to wait for: a timeout shows where it stood.
step() { echo "step: $*"; }
