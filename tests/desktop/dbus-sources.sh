#!/usr/bin/env bash
# The desktop's services stood in for by mocks (python3-dbusmock) on two private message buses,
# one as the session bus and one as the system bus, and the DBus* tests of the test program
# run against them; GNOME's notification settings live in a settings file of the run's own.
# Nothing of the machine's own buses or settings is used.
#   bash tests/desktop/dbus-sources.sh <quillet_tests> [more arguments for it]
set -euo pipefail
tests=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3 # Debian's own, which has dbusmock

for tool in dbus-daemon gdbus gsettings glib-compile-schemas; do
    command -v "$tool" >/dev/null || { echo "dbus-sources: $tool is missing" >&2; exit 1; }
done
"$python" -c 'import dbusmock' 2>/dev/null ||
    { echo "dbus-sources: python3-dbusmock is missing" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-dbus.XXXXXX")
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# A bus that lets everyone own and call everything and starts no services of its own.
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
start_bus() { # name; sets address[name]
    dbus-daemon --config-file="$work/bus.conf" --fork --print-address=1 --print-pid=1 \
        >"$work/$1.bus"
    local pid
    { read -r "address[$1]"; read -r pid; } <"$work/$1.bus"
    pids+=("$pid")
}
declare -A address
start_bus session
start_bus system
DBUS_SESSION_BUS_ADDRESS=${address[session]}
DBUS_SYSTEM_BUS_ADDRESS=${address[system]}
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS

# The services, each a mock of its own; started together, then waited for by name. logind and
# GNOME's idle monitor are started and stopped by the tests themselves, which see them come late,
# leave and start anew.
declare -A mocks=(
    [org.freedesktop.ScreenSaver]="--template $here/mocks/screensaver.py"
    [org.freedesktop.Notifications]="--template $here/mocks/notifications.py"
    [org.gnome.SessionManager]="--template $here/mocks/gnome_session.py"
    [org.freedesktop.PowerManagement]="--template $here/mocks/power_management.py"
)
for name in "${!mocks[@]}"; do
    # shellcheck disable=SC2086 # the options are words
    "$python" -m dbusmock ${mocks[$name]} >"$work/$name.log" 2>&1 &
    pids+=($!)
done
for name in "${!mocks[@]}"; do
    if ! gdbus wait --session --timeout 30 "$name"; then
        echo "dbus-sources: the mock of $name did not start" >&2
        cat "$work/$name.log" >&2
        exit 1
    fi
done

# GNOME's notification settings: our own copy of the one key, kept in a file of this run.
mkdir -p "$work/schemas" "$work/config"
cp "$here/schemas/"*.gschema.xml "$work/schemas/"
glib-compile-schemas "$work/schemas"
export GSETTINGS_SCHEMA_DIR="$work/schemas" GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME="$work/config"

# The desktop this run stands in for is told by the tests themselves.
unset XDG_CURRENT_DESKTOP XDG_SESSION_ID
export QUILLET_DBUS_MOCKS=1 QUILLET_DBUS_PYTHON="$python" QUILLET_DBUS_MOCK_DIR="$here/mocks"
status=0
"$tests" --gtest_filter='DBus*' "$@" || status=$?
if ((status != 0)); then
    for name in "${!mocks[@]}"; do
        echo "== $name" >&2
        tail -n 30 "$work/$name.log" >&2
    done
fi
exit $status
