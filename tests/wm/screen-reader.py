#!/usr/bin/python3
"""Reads the running board as a screen reader does, through AT-SPI, and works it by keyboard.

    screen-reader.py <window id of the board> <process id of the program> [later]

Checks: every button of the bar has a German name and a description; Tab and the arrow keys
move the focus along the bar; pressing a button through its AT-SPI action does what a click
does; the new instruction text is announced (text inserted into "Anleitung"); Escape ends the
sequence; in the settings window the focus shows on opening, Tab goes row by row and Enter
presses the focused button; every spin button of the settings window has a name of its own, and
a value changed by the arrow key is told (property-change accessible-value) with the new number.
With "later": the watchdog's prompt offers "Später (5 Min.)", and pressing it through its action
puts the watchdog off by five minutes.
Every wait is for a condition; ctest's timeout is the bound.
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

window = sys.argv[1]
program = int(sys.argv[2])
failures = []
inserted = []  # (name of the source, text) of every text inserted


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    failures.append(text)


def step(text):
    print("step: " + text, flush=True)


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(what, condition):
    """Waits until condition() gives something true, and returns it."""
    step(what)
    while True:
        pump()
        try:
            value = condition()
        except Exception:  # an object that went away while it was read
            value = None
        if value:
            return value
        try:
            os.kill(program, 0)
        except OSError:
            fail("the program ended while waiting: " + what)
            sys.exit(1)
        time.sleep(0.1)


def key(*names):
    subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False,
                   timeout=10, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["xdotool", "key", "--delay", "150", *names], check=True)


focus_told = []  # every object told to have gained the focus


def on_focus(event):
    if event.detail1:
        focus_told.append(event.source)


def on_insert(event):
    try:
        inserted.append((event.source.name, str(event.any_data)))
    except Exception:
        pass


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.name.lower().startswith("quillet"):
            return a
    return None


def frames():
    """The program's windows on screen (a closed window stays known to the reader, hidden)."""
    a = app()
    return [f for f in a if f is not None and f.getState().contains(pyatspi.STATE_VISIBLE)] \
        if a else []


def board():
    for f in frames():
        if any(n.name == "Schaltleiste" for n in walk(f)):
            return f
    return None


def buttons():
    b = board()
    if not b:
        return []
    bar = next(n for n in walk(b) if n.name == "Schaltleiste")
    return [n for n in walk(bar) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]


def button(name):
    return next((b for b in buttons() if b.name == name), None)


def focused(root):
    """The innermost object with the focus (a notebook shares it with its tab)."""
    found = None
    for n in walk(root):
        if n.getState().contains(pyatspi.STATE_FOCUSED):
            found = n
    return found


def focused_name():
    n = focused(board())
    return n.name if n else None


values_told = []  # (name, current value) of every spin button whose value was told


def on_value(event):
    try:
        if event.source.getRole() == pyatspi.ROLE_SPIN_BUTTON:
            values_told.append((event.source.name, event.source.queryValue().currentValue))
    except Exception:
        pass


def later():
    """A prompt's "Später", pressed through its AT-SPI action, puts the watchdog off 5 minutes."""
    def offered():
        return next((n for f in frames() for n in walk(f)
                     if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name.startswith("Später")
                     and n.getState().contains(pyatspi.STATE_SHOWING)),
                    None)
    later_button = wait_for("the watchdog's prompt offers \"Später\"", offered)
    if later_button.name != "Später (5 Min.)":
        fail("the button is named %r" % later_button.name)
    action = later_button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    wait_for("the small window counts the watchdog's five minutes",
             lambda: any("Wachhund: 0:4:5" in f.name or "Wachhund: 0:5:0" in f.name
                         for f in frames()))
    if offered():
        fail("\"Später\" is still shown")
    sys.exit(1 if failures else 0)


if sys.argv[3:] == ["later"]:
    later()

pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
pyatspi.Registry.registerEventListener(on_value, "object:property-change:accessible-value",
                                       "object:value-changed")
pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")

wait_for("the board's bar is read", lambda: len(buttons()) == 10)
names = [b.name for b in buttons()]
expected = ["Atemübungen", "Körperübungen", "Augenübungen", "Entspannungsübungen", "Größe",
            "Zeitschaltuhr: ein", "Hilfe", "Einstellungen", "Impressum", "Beenden"]
if sorted(names) != sorted(expected):
    fail("the bar's buttons are named %s" % names)
for b in buttons():
    if not b.description:
        fail("the button %s has no description" % b.name)
pictures = [n for n in walk(board()) if n.getRole() == pyatspi.ROLE_IMAGE]
if not any(p.name == "Sonnenuntergang" for p in pictures):
    fail("the waiting board's picture is not named: %s" % [p.name for p in pictures])

# The window, once active, holds its focus on the first button (shown from the first key on).
wait_for("the first button holds the focus", lambda: focused_name() == "Atemübungen")
key("Tab")
wait_for("Tab moves the focus to the next button", lambda: focused_name() == "Körperübungen")
key("Right", "Right")
wait_for("Right moves on along the bar", lambda: focused_name() == "Entspannungsübungen")
key("Left", "Left", "Left", "Left")
wait_for("Left goes round to the last button", lambda: focused_name() == "Beenden")

step("the breathing button is pressed through its action")
breathing = button("Atemübungen")
action = breathing.queryAction()
actions = [action.getName(i) for i in range(action.nActions)]
if "Press" not in actions:
    fail("the button offers no press action: %s" % actions)
action.doAction(actions.index("Press"))
wait_for("the sequence starts as after a click",
         lambda: board().name.startswith("Atemübungen") and button("Zurück"))
wait_for("the first instruction is announced",
         lambda: any(n == "Anleitung" and "Phantasiereise" in t for n, t in inserted))

key("Escape")
wait_for("Escape ends the sequence", lambda: button("Beenden") and not button("Zurück"))
told = [t for n, t in inserted if n == "Anleitung" and "Phantasiereise" in t]
if len(told) != 1:
    fail("the first instruction was told %d times" % len(told))

step("the settings window opens through its button")
button("Einstellungen").queryAction().doAction(0)


def settings():
    return next((f for f in frames() if f.name.startswith("Menue")), None)


def settings_focus():
    """What a screen reader was last told has the focus in the settings window."""
    if not settings() or not focus_told:
        return None
    n = focus_told[-1]
    return (n.getRoleName(), n.name.strip())


first = wait_for("the settings window shows its focus", settings_focus)
if first[0] not in ("page tab", "page tab list") or first[1] != "Sound / Timer":
    fail("the settings window opens with the focus on %s" % (first,))
key("Tab", "Tab", "Tab", "Tab")
reached = wait_for("Tab goes along the first row", lambda: settings_focus() != first and
                   settings_focus())
wait_for("the fourth Tab reaches Reset", lambda: settings_focus() == ("push button", "Reset"))
key("Return")


def question():
    return next((f for f in frames() if not f.name.startswith("Menue") and f != board() and
                 any(n.name == "OK" for n in walk(f))), None)


wait_for("Enter presses Reset: it asks first", question)
key("Escape")
wait_for("the question goes", lambda: not question())
key("Escape")
wait_for("Escape closes the settings window", lambda: settings() is None)

step("the settings window opens again")
button("Einstellungen").queryAction().doAction(0)
spins = wait_for("its spin buttons are read",
                 lambda: settings() and [n for n in walk(settings())
                                         if n.getRole() == pyatspi.ROLE_SPIN_BUTTON])
spin_names = [n.name for n in spins]
if len(spins) != 73:
    fail("the settings window has %d spin buttons, not 73" % len(spins))
unnamed = spin_names.count("")
if unnamed:
    fail("%d spin buttons of the settings window have no name" % unnamed)
twice = sorted({n for n in spin_names if n and spin_names.count(n) > 1})
if twice:
    fail("spin buttons named alike: %s" % twice)
hours = next((n for n in spins if n.name == "Training alle, Stunden"), None)
if hours is None:
    fail("no spin button named 'Training alle, Stunden': %s" % spin_names[:12])
else:
    before = hours.queryValue().currentValue
    if before != 5:  # the record's h1
        fail("'Training alle, Stunden' reads %s, not 5" % before)
    hours.queryComponent().grabFocus()
    wait_for("the field takes the focus",
             lambda: hours.getState().contains(pyatspi.STATE_FOCUSED))
    key("Up")
    wait_for("the new value is told",
             lambda: ("Training alle, Stunden", 6.0) in values_told)
key("Escape")
wait_for("Escape closes the settings window", lambda: settings() is None)

if failures:
    sys.exit(1)
print("screen-reader: all checks passed")
