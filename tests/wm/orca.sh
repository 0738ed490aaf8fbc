#!/usr/bin/env bash
# Quillet heard through a real screen reader. Orca runs on the accessibility bus of a private
# session and speaks through speech-dispatcher, whose output module writes every text it is given
# to a file instead of a sound card; the real program runs under a window manager (openbox on a
# private Xvfb) and is worked by keys alone: along the bar, through a watchdog prompt, into a
# breathing sequence and out, into the settings window by its button and into the help.
#
# Each step waits until Orca has said what a user must hear there, and prints what it said. The
# checks that wait for changes of the program still to come are named in `pending` below: they are
# reported, not failed (ORCA_STRICT=1 fails them too), each with the lines of Orca's log that tell
# why it said nothing. Once the program does it, the check's name is taken out of the list.
#   bash tests/wm/orca.sh <quillet binary>          ORCA_KEEP=1 keeps the logs and names the folder
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

# What the user must hear and what the program does not tell yet.
pending=()
reminder_phrases=("Wachhund" "Pause vom Bildschirm")
switch_phrases=("Zeitschaltuhr: aus")
first_instruction="Phantasiereise"
second_instruction="eins"

python=/usr/bin/python3 # Debian's own, which has pyatspi and Orca
launcher=/usr/libexec/at-spi-bus-launcher
module=/usr/lib/speech-dispatcher-modules/sd_generic
if ! "$python" -c 'import orca.orca_platform' 2>/dev/null || [[ ! -x "$launcher" ]] ||
    [[ ! -x "$module" ]] || ! command -v speech-dispatcher >/dev/null; then
    echo "orca: Orca, speech-dispatcher or at-spi2-core is missing (scripts/setup.sh)" >&2
    exit 77
fi

begin_run orca
[[ -z "${ORCA_KEEP:-}" ]] || keep_work="orca: the logs are in"
start_x_with_wm 1024x768
unset XDG_CURRENT_DESKTOP
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON QT_ACCESSIBILITY # Qt must find the screen reader itself
sanitizer_options
mkdir -p "$work/home" "$work/orca" "$work/speech/modules"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
export GSETTINGS_BACKEND=memory
spoken="$work/spoken.txt" orcalog="$work/orca.log"
: >"$spoken"
: >"$orcalog"

t0=$(date +%s%N)
at() { printf '%6.1f s' "$(($(date +%s%N) - t0))e-9"; }
missed=()
step() { echo "$(at)  step: $*"; }

# A session bus of the run's own, and the accessibility bus beside it as a desktop session starts
# it; Orca switches accessibility on there, and Qt finds it through org.a11y.Bus.
start_session_bus "$work/runtime" || { echo "FAIL: no session bus" >&2; exit 1; }
groups=() # process groups started here, each ended whole
program=
# The program ends before its X server does (it saves and closes its windows on SIGTERM).
at_exit '[[ -z "$program" ]] || holds_within "$program" 5 "! kill -0 $program 2>/dev/null"'
at_exit 'for g in "${groups[@]}"; do kill -- "-$g" 2>/dev/null || true; done'
setsid "$launcher" --launch-immediately >"$work/bus-launcher.log" 2>&1 &
groups+=($!)
disown

# speech-dispatcher with one output module: the generic one, whose command appends the text to
# the file (the generic module always opens an audio output too: libao's null driver).
echo default_driver=null >"$HOME/.libao"
cat >"$work/speech/speechd.conf" <<EOF
LogDir "$work/speech"
AudioOutputMethod "libao"
AddModule "file" "sd_generic" "file.conf"
DefaultModule file
DefaultLanguage "de"
EOF
cat >"$work/speech/modules/file.conf" <<EOF
GenericExecuteSynth "printf '%s\\\\n' \\'\$DATA\\' >>'$spoken'"
GenericMaxChunkLength 100000
GenericLanguage "de" "de" "UTF-8"
GenericLanguage "en" "en" "UTF-8"
AddVoice "de" "MALE1" "de"
AddVoice "en" "MALE1" "en"
EOF
setsid speech-dispatcher --run-single --timeout 0 --config-dir "$work/speech" \
    --module-dir "$(dirname "$module")" >"$work/speech-dispatcher.log" 2>&1 &
speechd=$!
groups+=("$speechd")
disown
step "speech-dispatcher listens"
wait_until "$speechd" '[[ -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" ]]' ||
    { cat "$work/speech-dispatcher.log" >&2; exit 1; }
# The generic module reads its language's character set only once the language has changed:
# before that it would write German letters in Latin-1.
spd-say -w -l en . && spd-say -w -l de .
: >"$spoken"

# Orca in English (its role names are then those below), with preferences of its own: no
# first-run questions, nothing read from or written to the user's.
step "Orca starts"
LC_ALL=C.UTF-8 setsid "$python" "$here/orca/launch.py" "$work/orca" "$orcalog" \
    >"$work/orca-stderr.log" 2>&1 &
orca=$!
groups+=("$orca")
disown

# ---- what was said
# Offsets into the spoken text and Orca's log; `mark` before a key, then wait for what follows it.
said_at=0 log_at=0
mark() {
    said_at=$(stat -c %s "$spoken")
    log_at=$(stat -c %s "$orcalog")
}
said() { tail -c +$((said_at + 1)) "$spoken" | tr '\n' ' ' | tr -s ' '; }
orca_said() { tail -c +$((log_at + 1)) "$orcalog" | sed -n "s/.* - SPEECH OUTPUT: '\(.*\)'.*/\1/p"; }
# True when Orca's log since the mark holds a line matching the extended regular expression.
# (grep reads to the end: with pipefail an early exit of grep -q would fail the pipe.)
orca_got() { tail -c +$((log_at + 1)) "$orcalog" | grep -Ec -- "$1" >/dev/null; }
# True when Orca has received and finished handling an event matching the expression.
orca_handled() {
    tail -c +$((log_at + 1)) "$orcalog" | awk -v re="$1" '
        $0 ~ "OBJECT EVENT: " && $0 ~ re { seen = 1 } seen && /^\^\^\^\^\^ PROCESS OBJECT/ { ok = 1 }
        END { exit !ok }'
}
# A key pressed after the mark has been through Orca three seconds ago, or was pressed ten seconds
# ago (a deadline while pending only: what follows a key may come a little later).
key_settled() { # key
    if orca_got "PROCESS ATSPI_KEY_RELEASED_EVENT: .$1."; then
        [[ -n "${settled_at:-}" ]] || settled_at=$SECONDS
    fi
    [[ -n "${settled_at:-}" ]] && ((SECONDS - settled_at >= 3)) || ((SECONDS - key_at >= 10))
}
all_in() { # text phrase...
    local text=$1 p
    shift
    for p in "$@"; do [[ "$text" == *"$p"* ]] || return 1; done
}
alive() {
    local p
    for p in "$program" "$orca" "$speechd"; do kill -0 "$p" 2>/dev/null || return 1; done
}
show_said() { echo "$(at)    heard: $(said)"; }
# Orca's own account of the events since the mark that a user would have needed told, and what
# it made of them.
show_why() {
    tail -c +$((log_at + 1)) "$orcalog" | grep -E \
        -e 'EVENT MANAGER: (window:|object:text-changed:insert for \[text)' \
        -e 'EVENT MANAGER: object:property-change:accessible-(name|value) for \[(spin|push button \| Zeit)' \
        -e 'EVENT MANAGER: object:state-changed:showing for \[(notification|alert|image \| (Wachhund|Train))' \
        -e 'INFO: Event is not being presented|DEFAULT: Not speaking|bad content|EVENT MANAGER: No focus' \
        -e 'DEAD: None|DEFAULT: Source != locusOfFocus|SPEECH OUTPUT' |
        cut -c 1-200 | sed -n '1,14s/^/        orca: /p' || true
}

# Waits until everything in phrases was said since the mark, and reports the check `id`. A check
# still pending gives up once `deadline` (a shell expression) holds and Orca has not said it
# either. Any other check waits on (ctest's timeout is its bound) unless the deadline is marked
# "sure:": it then holds only where the words can no longer come. False when not said.
hear() { # id what deadline phrase...
    local id=$1 what=$2 deadline=$3 always=0
    shift 3
    if [[ "$deadline" == sure:* ]]; then
        deadline=${deadline#sure:}
        always=1
    fi
    local is_pending=0
    pending_check "$id" && is_pending=1 always=1
    echo "$(at)  hear [$id]: $what"
    until all_in "$(said)" "$@"; do
        alive || { fail "[$id] a process ended while waiting for: $*"; exit 1; }
        if ((always)) && [[ -n "$deadline" ]] && eval "$deadline" && ! all_in "$(orca_said)" "$@"; then
            show_said
            if ((is_pending)); then
                echo "$(at)    PENDING [$id]: not said: $*"
                missed+=("$id")
            else
                fail "[$id] not said: $*"
            fi
            show_why
            return 1
        fi
        sleep 0.1
    done
    show_said
    ((is_pending)) && echo "$(at)    NOW SAID [$id]: take it out of the pending list"
    return 0
}

pending_check() { [[ -z "${ORCA_STRICT:-}" && " ${pending[*]} " == *" $1 "* ]]; }

# ---- keys and windows
key() {
    key_at=$SECONDS
    xdotool key --delay 150 "$@"
}
# The captions of the program's windows on the screen.
captions() {
    local w
    for w in $(windows_of "$program"); do xdotool getwindowname "$w" 2>/dev/null || true; done
}
# The program's window that has the keyboard (the window manager's active window), if any.
focused_window() {
    local active w
    active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# //p')
    [[ -n "$active" ]] || return 1
    for w in $(windows_of "$program"); do
        ((w == active)) && { echo "$w"; return 0; }
    done
    return 1
}
# Tab until Orca names the button `name`, each button it passes said aloud.
tab_to() { # name
    local n
    for n in $(seq 14); do
        mark
        key Tab
        hear bar "Tab: a button is named" "sure:! focused_window >/dev/null" "push button" >/dev/null ||
            return 1
        echo "$(at)    heard: $(said)"
        [[ "$(said)" == *"$1 push button"* ]] && return 0
    done
    fail "Tab never reached $1"
    return 1
}
# After a window of the program came back without the keyboard, the user turns to it (a click or
# Alt+Tab); every step after this needs the keyboard on the board.
turn_to_board() {
    local w
    w=$(windows_of "$program" | head -n 1)
    echo "$(at)    (the board is given the keyboard by the window manager)"
    xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
    wait_until "$program" 'focused_window >/dev/null'
}

# A window of the program that had the keyboard came back: the keyboard must be on it again (a
# few seconds' grace only while this is pending), and Tab names the next button. Without it the
# user turns to the board (a click or Alt+Tab) and goes on, unless this is the `last` step.
keyboard_back() { # id what [last]
    local id=$1 since=$SECONDS
    echo "$(at)  hear [$id]: $2"
    mark
    wait_until "$program" 'focused_window >/dev/null ||
        { pending_check "$id" && ((SECONDS - since > 5)); }'
    if focused_window >/dev/null; then
        mark
        settled_at=
        key Tab
        hear "$id" "Tab names the next button" "key_settled Tab" "push button" && return
    else
        echo "$(at)    PENDING [$id]: the window manager's active window is none of the program's"
        missed+=("$id")
        show_why
    fi
    [[ "${3:-}" == last ]] && return
    turn_to_board
    mark
    key Tab
    hear bar "Tab names a button once the board has the keyboard" \
        "sure:! focused_window >/dev/null" "push button"
}

# Settings: quick start into the small window, silent; the watchdog 25 s after the start, shown
# for 7 s; the training prompt far off.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h1=5 h2=0 m2=0 s2=25 sS=7 \
    >"$work/config/quillet/User.dat"

mark
program=$orca
hear start "Orca is ready" "" "Screen reader on"

step "the board starts in its small window, with the keyboard"
mark
setsid "$quillet" >"$work/quillet.log" 2>&1 &
program=$!
groups+=("$program")
disown
hear start "the window and its first button are named" "" "frame" "Atemübungen push button" \
    "Startet die Atemübungen"

step "Tab goes along the bar, each button named with its hint"
for name in Körperübungen Augenübungen Entspannungsübungen "Zeitschaltuhr: ein" Hilfe; do
    mark
    key Tab
    hear bar "$name" "" "$name push button"
done

step "the watchdog's prompt comes"
mark
wait_until "$program" "orca_got 'showing for \\[[a-z ]+ \\| Wachhund\\] .*\\(1, 0,'"
echo "$(at)    the prompt is on the screen"
hear reminder-spoken "the prompt is told" \
    "orca_got 'showing for \\[[a-z ]+ \\| Wachhund\\] .*\\(0, 0,'" "${reminder_phrases[@]}" || true
step "the watchdog's prompt goes"
wait_until "$program" "orca_got 'showing for \\[[a-z ]+ \\| Wachhund\\] .*\\(0, 0,'"
wait_until "$program" '[[ $(captions) == *Wachhund:* ]]'
keyboard_back focus-after-prompt "the board has the keyboard again after the prompt"

step "Enter on the breathing button starts the breathing"
tab_to "Atemübungen"
mark
key Return
hear instructions-told "the first instruction is told" \
    "orca_got 'text-changed:insert for \\[text \\| Anleitung\\].*\\(0, [0-9]+, $second_instruction\\)'" \
    "$first_instruction" || true
hear instructions-told "the second instruction is told" \
    "orca_got 'text-changed:insert for \\[text \\| Anleitung\\].*\\(0, [0-9]+, zwei\\)'" \
    "$second_instruction" || true

step "Escape ends the sequence"
if ! focused_window >/dev/null; then
    echo "$(at)    the running sequence has not got the keyboard"
    turn_to_board
fi
key Escape
wait_until "$program" '[[ $(captions) != Atemübungen* ]]'
keyboard_back focus-after-run "the board has the keyboard again after the sequence"

step "the settings window opens by its button, its first control named"
tab_to "Einstellungen"
mark
key Return
hear settings "the window and its first page" "" "Menue für Einstellungen" "frame" \
    "Sound / Timer" "page tab list"
mark
key Tab Tab Tab
hear settings "the third Tab reaches the hours per day" "" "spin button"
hear settings "the spin field is named" "sure:true" "Stunden pro Tag"
mark
key Down
hear settings "its first change is told" "" "12"
mark
key Up
hear settings "the next change is told as well" "" "24"

step "Escape closes the settings window; the board has the keyboard again"
mark
key Escape
hear settings "the board's frame and button" "" "frame" "push button"

step "F1 opens the help"
mark
key F1
hear help "the help window and its first page" "" "Hilfe" "frame" "page tab list"
mark
key Escape
hear help "Escape closes it; the board's button is named" "" "frame" "push button"

# Last: the board that comes after the switch has no control with the keyboard.
step "the time switch is turned off by its button"
tab_to "Zeitschaltuhr: ein"
mark
key Return
hear switch-told "its new state is told" \
    "orca_handled 'accessible-name .*Zeitschaltuhr: aus'" "${switch_phrases[@]}" || true
wait_until "$program" '[[ $(captions) != *Wachhund:* ]]' # the countdowns have gone
keyboard_back focus-after-switch "the board keeps the keyboard" last

alive || fail "a process ended"
echo "$(at)  everything Orca said:"
sed 's/^/        /' "$spoken"
if ((${#missed[@]})); then
    echo "orca: still not told (pending): $(printf '%s\n' "${missed[@]}" | awk '!seen[$0]++' | paste -s -d ' ')"
fi
if ((failures)); then
    echo "--- logs" >&2
    tail -n 5 "$work"/quillet.log "$work"/orca-stderr.log "$work"/speech-dispatcher.log >&2 || true
    exit 1
fi
echo "orca: Orca named the bar, the settings window and the help by keyboard alone"
