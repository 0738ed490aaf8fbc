'''The desktop's screen saver as KDE offers it, for the tests: its lock (the test emits
ActiveChanged) and the idle time in milliseconds, set by the test with SetIdleTime.'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.freedesktop.ScreenSaver'
MAIN_OBJ = '/org/freedesktop/ScreenSaver'
MAIN_IFACE = 'org.freedesktop.ScreenSaver'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.idle_ms = 0
    mock.AddMethod(MAIN_IFACE, 'GetActive', '', 'b', 'ret = False')


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='u')
def GetSessionIdleTime(self):
    return dbus.UInt32(self.idle_ms)


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='')
def SetIdleTime(self, idle_ms):
    self.idle_ms = int(idle_ms)
