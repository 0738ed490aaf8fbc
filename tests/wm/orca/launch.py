#!/usr/bin/python3
"""Starts Orca as /usr/bin/orca does, with its preferences in a folder of the test's own and its
debug log written line by line (the test reads it while Orca runs).

    launch.py <preferences folder> <debug log>

/usr/bin/orca itself refuses to start beside any other process of the user named "orca", and
its --replace kills them: a test must leave other sessions' screen readers alone.
"""
import sys

from orca import debug

prefs, log = sys.argv[1], sys.argv[2]
debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(log, "w", buffering=1, encoding="utf-8")

from orca import orca  # noqa: E402  (after the log is set, as /usr/bin/orca does)

manager = orca.getSettingsManager()
manager.activate(prefs, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
