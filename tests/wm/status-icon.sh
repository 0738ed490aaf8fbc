#!/usr/bin/env bash
# The status icon as a desktop's panel sees it: the real program under a window manager (openbox
# on a private Xvfb), on a private session bus whose StatusNotifierWatcher (a panel's, stood in
# for by tests/desktop/mocks/status_watcher.py) records every reading of the item's properties
# and of its menu over D-Bus. With "Im Panel statt im kleinen Fenster warten" on, the waiting
# board goes to the panel, a prompt brings it back and the next wait takes it away again, a left
# click (Activate) shows it; the settings opened from the menu and closed leave the program
# running; the menu pauses and resumes the reminders and ends the program.
# Then panels that start after the program, each a few seconds after it: the watcher, and an
# XEmbed tray (trayer) on a bus without one. Each gets the icon, the waiting board goes there,
# comes back as the small window when the panel ends, and goes there again when it restarts.
#   bash tests/wm/status-icon.sh <quillet binary>
set -euo pipefail
quillet=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
python=/usr/bin/python3 # Debian's own, which has the GObject bindings

"$python" -c 'from gi.repository import Gio' 2>/dev/null ||
    { echo "status-icon: python3-gi is missing" >&2; exit 1; }
needs trayer

begin_run tray
start_x_with_wm 1024x768
unset XDG_CURRENT_DESKTOP
sanitizer_options

finish() {
    if ((failures)); then
        echo "--- logs" >&2
        tail -n 5 "$work"/*.log >&2 || true
        echo "--- last reading of the panel" >&2
        tail -n 1 "$work/panel.jsonl" >&2 || true
        exit 1
    fi
}

# A session bus of the test's own.
start_session_bus "$work/runtime" || { echo "FAIL: no session bus" >&2; exit 1; }
pids=()
at_exit 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done'

# Starts the panel's watcher afresh, with no readings yet.
start_watcher() {
    : >"$work/panel.jsonl"
    "$python" "$root/tests/desktop/mocks/status_watcher.py" "$work/panel.jsonl" \
        >>"$work/watcher.log" 2>&1 &
    watcher=$!
    pids+=("$watcher")
    wait_until "$watcher" 'on_bus org.kde.StatusNotifierWatcher' ||
        { echo "FAIL: the watcher did not start" >&2; cat "$work/watcher.log" >&2; exit 1; }
}
stop() { # pid
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
now_ms() { date +%s%3N; }

step "the panel's watcher is on the bus"
start_watcher

# The last reading of the panel, as Python sees it: `reading` is the JSON object.
last() { # python expression over `reading`
    "$python" - "$work/panel.jsonl" "$1" <<'PY'
import json, sys
lines = [l for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
if lines:
    reading = json.loads(lines[-1])
    def labels(node, depth=0):
        out = []
        for c in node["children"]:
            text = "-" if c.get("type") == "separator" else c.get("label", "")
            if c.get("toggle-type"):
                text += " [%s %d]" % (c["toggle-type"], c.get("toggle-state", -1))
            out.append("  " * depth + text)
            out += labels(c, depth + 1)
        return out
    def menu_id(label):
        def find(node):
            for c in node["children"]:
                if c.get("label") == label:
                    return c["id"]
                found = find(c)
                if found is not None:
                    return found
        return find(reading["menu"])
    print(eval(sys.argv[2]))
PY
}
readings() { wc -l <"$work/panel.jsonl"; }

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
# Training every 45 minutes; the watchdog every 25 s, its prompt shown for 7 s.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h2=0 m2=0 s2=25 sS=7 \
    >"$work/config/quillet/User.dat"
printf '[Panel]\nwaitInPanel=true\n' >"$work/config/quillet/quillet.conf"

step "the program starts, its icon registers"
"$quillet" >"$work/quillet.log" 2>&1 &
app=$!
pids+=("$app")
wait_until "$app" '[[ $(readings) -gt 0 ]]' || fail "the icon never registered"
finish
service=$(last 'reading["service"]')
# Qt registers the item by its connection's unique name.
[[ $service == :* || $service == org.kde.StatusNotifierItem-$app-* ]] ||
    fail "the item's name is $service"
[[ $(last 'reading["status"]') == Active ]] || fail "status $(last 'reading["status"]')"
[[ $(last 'reading["title"]') == Quillet ]] || fail "title $(last 'reading["title"]')"
[[ $(last 'reading["icon_sizes"]') == "[16, 22, 24, 32, 48]" ]] ||
    fail "the pictures sent: $(last 'reading["icon_sizes"]')"
[[ $(last 'reading["tooltip"]') =~ ^Training\ in\ 45\ min\ ·\ Wachhund\ in\ 1\ min$ ]] ||
    fail "tooltip: $(last 'reading["tooltip"]')"
waiting_icon=$(last 'reading["icon22"]')
expected_menu='Atemübungen
Körperübungen
Augenübungen
Entspannungsübungen
-
_Zeitschaltuhr [checkmark 1]
Erinnerungen _pausieren
  30 Minuten
  1 Stunde
  2 Stunden
  Bis morgen früh (6:00)
-
_Quillet zeigen
_Einstellungen …
_Verlauf …
_Hilfe
-
_Beenden'
menu=$(last '"\n".join(labels(reading["menu"]))')
[[ "$menu" == "$expected_menu" ]] || fail "the menu reads:
$menu"

step "the waiting board goes to the panel"
t_hidden=$SECONDS
wait_until "$app" '[[ -z "$(windows_of "$app")" ]]' || fail "the board stays on the screen"
finish

step "the watchdog's prompt brings the board back, with the red light"
wait_until "$app" '[[ -n "$(windows_of "$app")" ]]' || fail "no prompt came"
wait_until "$app" '[[ $(last "reading[\"tooltip\"]") == "Training: angehalten · Wachhund: jetzt" ]]' ||
    fail "tooltip while the prompt shows: $(last 'reading["tooltip"]')"
[[ $(last 'reading["icon22"]') != "$waiting_icon" ]] || fail "the picture did not change"
step "after the prompt the board waits in the panel again"
wait_until "$app" '[[ -z "$(windows_of "$app")" ]]' || fail "the board stays after the prompt"
wait_until "$app" '[[ $(last "reading[\"icon22\"]") == "$waiting_icon" ]]' ||
    fail "the picture is not the waiting one again"
finish

menu_event() { # label
    local id
    id=$(last "menu_id('$1')")
    [[ $id =~ ^[0-9]+$ ]] || { fail "no menu entry $1"; return; }
    gdbus call --session --dest "$service" --object-path "$(last 'reading["menu_path"]')" \
        --method com.canonical.dbusmenu.Event "$id" clicked '<0>' 0 >/dev/null
}
step "the settings window opens from the menu while the board waits in the panel"
menu_event '_Einstellungen …'
menue() { xdotool search --all --onlyvisible --pid "$app" --name '^Menue für' 2>/dev/null; }
wait_until "$app" '[[ -n "$(menue)" ]]' || fail "the settings window did not open"
finish
window=$(menue | head -n 1)
step "closing it, the last window on the screen, leaves the program waiting in the panel"
closed=
for _ in $(seq 20); do
    timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null || true
    # Never a key for the board: only while the settings window is the active one.
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]] && xdotool key Escape
    holds_within "$app" 3 '[[ -z "$(menue)" ]]' && closed=1 && break
done
[[ -n "$closed" ]] || fail "the settings window did not close"
# The program still answers its panel after the close, so its event loop did not end.
gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Status >/dev/null 2>&1 &&
    kill -0 "$app" 2>/dev/null || fail "the program ended with its last window"
[[ -z "$(windows_of "$app")" ]] || fail "the board came back on the screen"
finish

step "the window Verlauf opens from the menu and closes with Escape"
menu_event '_Verlauf …'
verlauf() { xdotool search --all --onlyvisible --pid "$app" --name '^Verlauf' 2>/dev/null; }
wait_until "$app" '[[ -n "$(verlauf)" ]]' || fail "the window Verlauf did not open"
finish
window=$(verlauf | head -n 1)
closed=
for _ in $(seq 20); do
    timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null || true
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]] && xdotool key Escape
    holds_within "$app" 3 '[[ -z "$(verlauf)" ]]' && closed=1 && break
done
[[ -n "$closed" ]] || fail "the window Verlauf did not close"
kill -0 "$app" 2>/dev/null || fail "the program ended with the window Verlauf"
finish

step "a left click shows the small window"
gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
wait_until "$app" '[[ -n "$(windows_of "$app")" ]]' || fail "Activate showed no window"
board=$(windows_of "$app" | head -n 1)
wait_until "$app" '[[ $(geometry_of "$board") == *" 335 42" ]]' ||
    fail "not the small window: $(geometry_of "$board")"
finish

step "the reminders paused from the menu"
menu_event '30 Minuten'
wait_until "$app" '[[ $(last "reading[\"tooltip\"]") == "Erinnerungen: Pause bis "* ]]' ||
    fail "tooltip after the pause: $(last 'reading["tooltip"]')"
wait_until "$app" '[[ -n $(last "menu_id(\"Erinnerungen _fortsetzen\")" | grep -v None) ]]' ||
    fail "the menu offers no resumption"
finish
step "and resumed"
menu_event 'Erinnerungen _fortsetzen'
wait_until "$app" '[[ $(last "reading[\"tooltip\"]") == "Training in 45 min · Wachhund in 1 min" ]]' ||
    fail "tooltip after resuming: $(last 'reading["tooltip"]')"
finish

step "Beenden ends the program"
menu_event '_Beenden'
status=0
wait "$app" || status=$?
((status == 0)) || fail "the program ended with status $status"
finish
stop "$watcher"

# A board that waits in its small window all through: the watchdog every half hour.
bash "$root/scripts/settings-record.sh" Sound=0 DSTimer=1 h2=0 m2=30 s2=0 \
    >"$work/config/quillet/User.dat"
# Starts the program with no panel there, and gives it a few seconds to have looked for one.
start_without_panel() {
    : >"$work/panel.jsonl"
    "$quillet" >>"$work/quillet.log" 2>&1 &
    app=$!
    pids+=("$app")
    wait_for_window "$app" || fail "the program did not start"
    finish
    sleep 3
    [[ -n "$(windows_of "$app")" ]] || fail "the board left the screen without a panel"
}
small_window_back() {
    wait_until "$app" '[[ -n "$(board_of "$app")" ]]' || fail "the board did not come back"
    local board
    board=$(board_of "$app" | head -n 1)
    wait_until "$app" '[[ $(geometry_of "$board") == *" 335 42" ]]' ||
        fail "not the small window: $(geometry_of "$board")"
}
end_program() {
    kill -TERM "$app"
    local status=0
    wait "$app" || status=$?
    ((status == 0)) || fail "the program ended with status $status"
}
# The windows of a process docked in the XEmbed tray, and the others.
docked_of() { # pid
    local tree
    tree=$(for t in $(xdotool search --class '^trayer$' 2>/dev/null); do
        xwininfo -tree -id "$t" 2>/dev/null; done)
    for w in $(windows_of "$1"); do
        grep -q "$(printf '0x%x ' "$w")" <<<"$tree" && echo "$w"
    done
    return 0
}
board_of() { # pid
    local docked
    docked=$(docked_of "$1")
    for w in $(windows_of "$1"); do
        grep -qx "$w" <<<"$docked" || echo "$w"
    done
    return 0
}

step "a watcher that starts after the program gets the icon"
start_without_panel
[[ $(readings) -eq 0 ]] || fail "the icon registered with no watcher there"
t0=$(now_ms)
start_watcher
wait_until "$app" '[[ $(readings) -gt 0 ]]' || fail "the icon never came to the late watcher"
sni_ms=$(($(now_ms) - t0))
[[ $(last 'reading["tooltip"]') == "Training in 45 min · Wachhund in 30 min" ]] ||
    fail "tooltip: $(last 'reading["tooltip"]')"
step "the waiting board goes to the late panel"
wait_until "$app" '[[ -z "$(windows_of "$app")" ]]' || fail "the board stays on the screen"
finish
step "the watcher ends: the board comes back as the small window"
stop "$watcher"
small_window_back
finish
step "the watcher starts again: the icon registers anew, the board goes there"
start_watcher
wait_until "$app" '[[ $(readings) -gt 0 ]]' || fail "the icon did not come back"
wait_until "$app" '[[ -z "$(windows_of "$app")" ]]' || fail "the board stays on the screen"
finish
end_program
stop "$watcher"
finish

step "an XEmbed tray that starts after the program, on a bus without a watcher, gets the icon"
start_without_panel
t0=$(now_ms)
trayer --edge top --align right --widthtype request --height 24 >"$work/trayer.log" 2>&1 &
tray=$!
pids+=("$tray")
wait_until "$app" '[[ -n "$(docked_of "$app")" ]]' || fail "the icon never docked in the tray"
xembed_ms=$(($(now_ms) - t0))
step "the waiting board goes to the tray"
wait_until "$app" '[[ -z "$(board_of "$app")" ]]' || fail "the board stays on the screen"
finish
step "the tray ends while the board waits in it: the small window comes back"
stop "$tray"
small_window_back
[[ -z "$(docked_of "$app")" ]] || fail "an icon is left"
finish
step "the tray starts again: the icon docks anew, the board goes there"
trayer --edge top --align right --widthtype request --height 24 >>"$work/trayer.log" 2>&1 &
tray=$!
pids+=("$tray")
wait_until "$app" '[[ -n "$(docked_of "$app")" ]]' || fail "the icon did not dock again"
wait_until "$app" '[[ -z "$(board_of "$app")" ]]' || fail "the board stays on the screen"
finish
end_program
finish

echo "status icon: all as expected; icon in a panel started after the program:" \
    "watcher ${sni_ms} ms, XEmbed tray ${xembed_ms} ms after the panel's start"
