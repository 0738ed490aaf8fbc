# Helpers for the scripts that drive the real program under a window manager. Every wait is for
# a condition, never for a time: a loaded machine only makes it take longer (ctest's timeout is
# the bound), and a program that has died ends the wait at once.
#
# A script starts with
#   set -euo pipefail
#   here=$(cd "$(dirname "$0")" && pwd)
#   source "$here/lib.sh"
# which sets `root` (the repository), counts failed checks (`fail`) and, however the script
# ends, runs the steps given to `at_exit`: the processes it started end, then its desktop, and
# its folder (`begin_run`) is removed.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
me=$(basename "$0" .sh)

# ---- the run: its checks, its folder and what is undone when it ends

# A check failed: told at once and counted; the script goes on and reports at its end.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Commands run when the script ends, in the reverse order of their adding: what was started last
# ends first (the program before its window manager, the window manager before its X server).
exit_steps=()
at_exit() { exit_steps=("$1" "${exit_steps[@]}"); }
run_exit_steps() {
    local step
    for step in "${exit_steps[@]}"; do eval "$step" || true; done
}
trap run_exit_steps EXIT
trap 'exit 143' TERM INT

# Makes the run's folder `work`, removed at the end unless `keep_work` holds a message to print
# with its name instead, with the program's settings folder and runtime folder in it.
begin_run() { # name
    work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-$1.XXXXXX")
    at_exit remove_work
    program_folders "$work"
}
remove_work() {
    if [[ -n "${keep_work:-}" ]]; then
        echo "$keep_work $work" >&2
        return
    fi
    chmod -R u+w "$work" 2>/dev/null || true # a folder a test made read-only
    rm -rf -- "$work"
}
# The folders a copy of the program needs below $1: config/quillet (XDG_CONFIG_HOME is
# $1/config) and runtime (XDG_RUNTIME_DIR), private to the user as a session's is.
program_folders() { # folder
    mkdir -p "$1/config/quillet" "$1/runtime"
    chmod 0700 "$1/runtime"
}

# Ends the script when a tool it drives is missing.
needs() { # tool...
    local tool
    for tool; do
        command -v "$tool" >/dev/null ||
            { echo "$me: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
    done
}

# Sets `libfaketime` to the library that runs a program's wall clock as the test says; the script
# ends without it.
find_libfaketime() {
    local f
    for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
        [[ -f "$f" ]] && { libfaketime=$f; return 0; }
    done
    echo "$me: libfaketime is missing (bash scripts/setup.sh)" >&2
    exit 1
}

# The sanitizers' options for the program on an X display, when scripts/test.sh runs it under
# AddressSanitizer: libxkbcommon-x11 copies key names with strndup() out of a server reply that
# is not NUL-terminated, which strndup allows but strict string checks flag. With `preloaded`,
# libfaketime is preloaded ahead of the sanitizer's run-time, which it tolerates.
sanitizer_options() { # [preloaded]
    [[ -n "${ASAN_OPTIONS:-}" ]] || return 0
    ASAN_OPTIONS=${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}
    if [[ "${1:-}" == preloaded ]]; then
        ASAN_OPTIONS+=:verify_asan_link_order=0
    fi
    export ASAN_OPTIONS
}

# ---- waiting for what the program does

# The visible top-level windows of a process, one id a line.
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }

# Waits until the shell expression $2 holds, while the process $1 runs; false if it ended first.
wait_until() { # pid expression
    until eval "$2"; do
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
}

# Waits up to $2 seconds for the shell expression $3 to hold, while the process $1 runs: for
# what must follow within a time the user notices ("the icon comes within a few seconds").
holds_within() { # pid seconds expression
    local limit=$((SECONDS + $2))
    until eval "$3"; do
        kill -0 "$1" 2>/dev/null && ((SECONDS < limit)) || return 1
        sleep 0.2
    done
}

# Waits until the process $1 shows a window.
wait_for_window() { wait_until "$1" '[[ -n "$(windows_of "$1")" ]]'; }

# True when the window manager has taken the window $1 and shows it (WM_STATE Normal): it is
# placed and framed, and takes clicks and keys.
managed() { [[ "$(wm_state "$1")" == Normal ]]; }

# The active window (_NET_ACTIVE_WINDOW) as a decimal id, as xdotool names windows.
active_window() {
    local id
    id=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p')
    if [[ -n "$id" ]]; then echo $((id)); fi
}

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

# Milliseconds since `t0` (set by the script: t0=$(date +%s%N)).
at() { echo $((($(date +%s%N) - t0) / 1000000)); }
# Waits up to `2` ms for the script's `caption` to match `1`; prints when it did (at).
wait_for() { # pattern limit
    local pattern=$1 limit=$2 end
    end=$(($(at) + limit))
    while (($(at) < end)); do
        [[ "$(caption)" =~ $pattern ]] && { at; return 0; }
        sleep 0.1
    done
    return 1
}

# ---- desktops of the run's own: an X server with a window manager, a bare one, a session bus;
# each ends when the script ends

# Starts a private Xvfb of size $1 (WIDTHxHEIGHT) with openbox (scripts/x-test-server.sh) for the
# program, without a session bus (a test that needs one starts its own after this). Exports
# DISPLAY and XDG_DATA_HOME (the program's record stays out of the user's home).
start_x_with_wm() { # size
    local vars
    vars=$(bash "$root/scripts/x-test-server.sh" "$1") ||
        { echo "FAIL: no X server with a window manager" >&2; exit 1; }
    eval "$vars"
    at_exit 'bash "$root/scripts/x-test-server.sh" stop'
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
}

# Starts a session bus of the run's own, listening in the folder $1 (its configuration is written
# there too). The services it starts on demand (xfconfd, dconf) inherit this shell's environment:
# set XDG_CONFIG_HOME and XDG_RUNTIME_DIR before. Exports DBUS_SESSION_BUS_ADDRESS and sets
# bus_pid; no system bus (logind of the machine) is seen.
start_session_bus() { # folder
    mkdir -p "$1"
    cat >"$1/bus.conf" <<EOT
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=$1</listen>
  <auth>EXTERNAL</auth>
  <standard_session_servicedirs/>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOT
    local address
    { read -r address; read -r bus_pid; } < <(dbus-daemon --config-file="$1/bus.conf" --fork \
        --print-address=1 --print-pid=1)
    [[ -n "$address" && -n "$bus_pid" ]] || return 1
    at_exit stop_session_bus
    export DBUS_SESSION_BUS_ADDRESS=$address DBUS_SYSTEM_BUS_ADDRESS=disabled:
}

# Ends a process started with setsid together with what it started in its group (a panel's
# plugins, a bus's services); a process that leads no group of its own alone.
stop_group() { # pid
    [[ -n "${1:-}" ]] || return 0
    if [[ "$(ps -o pgid= -p "$1" 2>/dev/null | tr -d ' ')" == "$1" ]]; then
        kill -- "-$1" 2>/dev/null || true
    else
        kill "$1" 2>/dev/null || true
    fi
}

# Stops the bus started by start_session_bus with the services it started: the daemon leads a
# process group of its own, and every service it starts stays in it.
stop_session_bus() {
    stop_group "${bus_pid:-}"
    bus_pid=
}

# True when the name $1 has an owner on the session bus.
on_bus() { # name
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep true >/dev/null
}

# Starts a virtual X server without a window manager, of size $1 (WIDTHxHEIGHT), its log in the
# folder $2. Exports DISPLAY and sets x_pid.
start_bare_x() { # size folder
    local fd display=
    exec {fd}<> <(:)
    setsid Xvfb -displayfd "$fd" -screen 0 "$1x24" -nolisten tcp -noreset \
        </dev/null >"$2/xvfb.log" 2>&1 &
    x_pid=$!
    at_exit 'stop_group "$x_pid"'
    read -r -t 10 -u "$fd" display || true
    exec {fd}<&-
    [[ -n "$display" ]] || { cat "$2/xvfb.log" >&2; return 1; }
    export DISPLAY=:$display
}

# Waits until a window manager owns the screen (_NET_SUPPORTING_WM_CHECK on the root window).
wait_for_wm() { # pid of the window manager
    wait_until "$1" 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep "window id" >/dev/null'
}

# ---- the board as the user sees it

# The visible window of the program $1 shown last (the board's native window changes with its
# frame and its prompts), and its name.
board_window() { windows_of "$1" | tail -n 1; }
caption_of() { # window
    xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([^)]*) = "\(.*\)"$/\1/p' || true
}
board_caption() { # pid
    local id
    id=$(board_window "$1")
    if [[ -n "$id" ]]; then caption_of "$id"; fi
}
# The caption of the waiting board: both countdowns (a number, "wartet" or "Inaktiv").
small_caption='^Training: .+     Wachhund: .+$'
# The frame the window manager drew around a window: left right top bottom.
frame_of() { # window
    local ext
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
    echo "${ext:-0 0 0 0}"
}

# ---- XFCE: its window manager and its panel, with the settings daemon they read (xfconfd)

# Starts xfwm4 with XFCE's defaults (its own theme and compositor) on $DISPLAY, its log in the
# folder $1, and waits until it manages the screen. Needs the session bus (xfconfd). Sets
# xfwm4_pid.
start_xfwm4() { # folder
    setsid xfwm4 </dev/null >"$1/xfwm4.log" 2>&1 &
    xfwm4_pid=$!
    at_exit 'stop_group "$xfwm4_pid"'
    wait_for_wm "$xfwm4_pid" || { cat "$1/xfwm4.log" >&2; return 1; }
}

# Writes a panel of XFCE's with only its status tray (XEmbed icons and StatusNotifierItems) into
# $XDG_CONFIG_HOME, where xfconfd reads it: a panel without one would ask which to take.
xfce_panel_config() {
    local dir=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
    mkdir -p "$dir"
    cat >"$dir/xfce4-panel.xml" <<'EOT'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
EOT
}

# Starts xfce4-panel (written by xfce_panel_config) on $DISPLAY, its log in the folder $1, and
# waits until its tray watches for icons on the bus. Sets panel_pid.
start_xfce_panel() { # folder
    setsid xfce4-panel </dev/null >"$1/panel.log" 2>&1 &
    panel_pid=$!
    at_exit 'stop_group "$panel_pid"'
    wait_until "$panel_pid" 'on_bus org.kde.StatusNotifierWatcher' || { cat "$1/panel.log" >&2; return 1; }
}

# The StatusNotifierItems registered with the panel's watcher, one a line (bus name and path).
panel_items() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
        RegisteredStatusNotifierItems 2>/dev/null | grep -o "'[^']*'" | tr -d "'" || true
}
# The process behind a name on the session bus.
bus_pid_of() { # name
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetConnectionUnixProcessID "$1" 2>/dev/null |
        sed -n 's/^(uint32 \([0-9]*\),)$/\1/p'
}
# True when XFCE's panel shows an icon of the process $1: a StatusNotifierItem of it registered
# with the watcher, or an X window of it embedded in the panel's tray (XEmbed).
panel_shows() { # pid
    local item w parent
    for item in $(panel_items); do
        [[ "$(bus_pid_of "${item%%/*}")" == "$1" ]] && return 0
    done
    for w in $(xdotool search --pid "$1" 2>/dev/null); do
        parent=$w
        for _ in 1 2 3 4 5 6; do
            parent=$(xwininfo -children -id "$parent" 2>/dev/null | sed -n \
                '/Parent window id:.*the root window/q; s/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
            [[ -n "$parent" ]] || break
            xprop -id "$parent" WM_CLASS 2>/dev/null | grep -e xfce4-panel -e wrapper-2.0 >/dev/null && return 0
        done
    done
    return 1
}

# ---- GNOME: mutter as the Wayland compositor, Quillet through its XWayland

# Starts mutter on a virtual monitor of size $1 without a screen (headless), as GNOME's
# compositor with its XWayland, its log in the folder $2. Needs the session bus and
# XDG_RUNTIME_DIR. Exports DISPLAY and XAUTHORITY (its XWayland) and WAYLAND_DISPLAY; sets
# mutter_pid.
start_mutter() { # size folder
    # XWayland's sockets go into /tmp/.X11-unix, which mutter takes only when everybody may write
    # there (as the X servers leave it).
    local sockets=/tmp/.X11-unix
    if [[ ! -d "$sockets" ]]; then
        mkdir -p "$sockets" && chmod 1777 "$sockets"
    elif [[ "$(stat -c %a "$sockets")" != 1777 ]]; then
        [[ -O "$sockets" ]] && chmod 1777 "$sockets" ||
            { echo "start_mutter: $sockets is not writable by all" >&2; return 1; }
    fi
    local log=$2/mutter.log
    setsid mutter --headless --wayland --virtual-monitor "$1" </dev/null >"$log" 2>&1 &
    mutter_pid=$!
    at_exit stop_mutter
    # Mutter starts XWayland at once and names its display in its log; XWayland's key for its
    # clients lies in the runtime folder.
    wait_until "$mutter_pid" 'grep -q "Using public X11 display" "$log"' || { cat "$log" >&2; return 1; }
    export DISPLAY WAYLAND_DISPLAY XAUTHORITY
    DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$log" | head -n 1)
    WAYLAND_DISPLAY=$(sed -n "s/.*Using Wayland display name '\([^']*\)'.*/\1/p" "$log" | head -n 1)
    wait_until "$mutter_pid" 'compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" >/dev/null' ||
        { cat "$log" >&2; return 1; }
    XAUTHORITY=$(compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" | head -n 1)
    wait_for_wm "$mutter_pid" || { cat "$log" >&2; return 1; }
}

# Ends mutter: it ends its XWayland and removes its sockets before it ends itself, then whatever
# is left of its group.
stop_mutter() {
    [[ -n "${mutter_pid:-}" ]] || return 0
    kill "$mutter_pid" 2>/dev/null || true
    holds_within "$mutter_pid" 10 '[[ "$(ps -o stat= -p "$mutter_pid" 2>/dev/null)" == Z* ]]' || true
    stop_group "$mutter_pid"
}

# Mutter's idle time in ms: since the last input it received (XWayland's own is not it).
mutter_idle_ms() {
    local ms
    ms=$(gdbus call --session --dest org.gnome.Mutter.IdleMonitor \
        --object-path /org/gnome/Mutter/IdleMonitor/Core \
        --method org.gnome.Mutter.IdleMonitor.GetIdletime 2>/dev/null |
        sed -n 's/^(uint64 \([0-9]*\),)$/\1/p' || true)
    echo "${ms:-0}"
}

# Input as the user gives it, through mutter's remote desktop: the pointer a pixel to and fro
# and the Shift key pressed and let go. A session lives as long as its caller's connection.
mutter_input() {
    /usr/bin/python3 - <<'PY'
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def call(path, interface, method, args=None, reply=None):
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                         reply and GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 10000, None)
path = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
            "CreateSession", None, "(o)")[0]
session = "org.gnome.Mutter.RemoteDesktop.Session"
call(path, session, "Start")
for dx in (1.0, -1.0):
    call(path, session, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (dx, 0.0)))
for pressed in (True, False):
    call(path, session, "NotifyKeyboardKeycode", GLib.Variant("(ub)", (42, pressed)))  # Shift
call(path, session, "Stop")
PY
}
