#!/usr/bin/env bash
# Starts a private PulseAudio server for the sound tests: one null sink "nul" (made the default
# sink), reachable only through a socket in a fresh folder of mode 0700. Works as root and as an
# ordinary user, and never touches the user's own sound setup or home folder.
#
#   eval "$(bash scripts/pulse-test-server.sh)"      # start, export the variables below
#   bash scripts/pulse-test-server.sh stop            # stop the one named by QUILLET_PULSE_PID
#
# Printed on stdout (everything else goes to stderr or the log file):
#   export XDG_RUNTIME_DIR=<fresh folder>   export PULSE_SERVER=unix:<folder>/pulse/native
#   export QUILLET_PULSE_PID=<server pid>   export QUILLET_PULSE_DIR=<fresh folder>
set -euo pipefail

if [[ "${1:-}" == stop ]]; then
    if [[ -n "${QUILLET_PULSE_PID:-}" ]] && kill -0 "$QUILLET_PULSE_PID" 2>/dev/null; then
        kill "$QUILLET_PULSE_PID"
        for _ in $(seq 50); do
            kill -0 "$QUILLET_PULSE_PID" 2>/dev/null || break
            sleep 0.1
        done
    fi
    if [[ -n "${QUILLET_PULSE_DIR:-}" && -d "$QUILLET_PULSE_DIR" ]]; then
        rm -rf -- "$QUILLET_PULSE_DIR"
    fi
    exit 0
fi

for tool in pulseaudio pactl; do
    if ! command -v "$tool" >/dev/null; then
        echo "pulse-test-server: $tool is missing (apt-get install pulseaudio pulseaudio-utils)" >&2
        exit 1
    fi
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillet-pulse.XXXXXX")
chmod 0700 "$dir"
mkdir -m 0700 "$dir/home" "$dir/state"
log="$dir/pulseaudio.log"
server="unix:$dir/pulse/native"

# The server and our pactl calls get their own HOME and state folder so that cookies and the
# stream database stay in the fresh folder. Anonymous access is safe here: only the owner can
# enter the 0700 folder.
private=(env -u PULSE_SERVER -u PULSE_SINK -u PULSE_SOURCE -u PULSE_COOKIE
    HOME="$dir/home" XDG_RUNTIME_DIR="$dir" XDG_CONFIG_HOME="$dir/home/.config"
    PULSE_STATE_PATH="$dir/state" PULSE_RUNTIME_PATH="$dir/pulse")

# The null sink must not rewind: when a stream starts it would render the time just past again,
# but its monitor has delivered that time already and drops the new version, so recordings would
# miss the start of a sound (or all of a short one).
# As root pulseaudio only warns that it should run with --system; the per-user mode is what we
# want, since the system mode ignores most of the options below.
# The server's output goes to the log, never to our stdout: `eval "$(...)"` would otherwise wait
# for the server to end.
"${private[@]}" setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=no --system=no --high-priority=no --realtime=no \
    --disallow-module-loading=no --log-target=stderr \
    -L "module-null-sink sink_name=nul norewinds=1" \
    -L "module-native-protocol-unix auth-anonymous=1" \
    </dev/null >"$log" 2>&1 &
pid=$!

ready=false
deadline=$((SECONDS + 10))
while ((SECONDS < deadline)) && kill -0 "$pid" 2>/dev/null; do
    if "${private[@]}" PULSE_SERVER="$server" timeout 2 pactl info >/dev/null 2>&1; then
        ready=true
        break
    fi
    sleep 0.1
done
if ! $ready; then
    echo "pulse-test-server: the server did not answer within 10 s; its log:" >&2
    cat "$log" >&2 || true
    kill "$pid" 2>/dev/null || true
    rm -rf -- "$dir"
    exit 1
fi

"${private[@]}" PULSE_SERVER="$server" pactl set-default-sink nul >&2

printf 'export XDG_RUNTIME_DIR=%q\n' "$dir"
printf 'export PULSE_SERVER=%q\n' "$server"
printf 'export QUILLET_PULSE_PID=%q\n' "$pid"
printf 'export QUILLET_PULSE_DIR=%q\n' "$dir"
