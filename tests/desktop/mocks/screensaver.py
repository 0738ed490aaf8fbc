'''The desktop's screen saver as KDE offers it, for the tests: its lock (the test emits
ActiveChanged) and the idle time in milliseconds, set by the test with SetIdleTime. After
SetTellsIdleTime(False) it answers the question for the idle time with an error, as GNOME's
stand-in does.'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.freedesktop.ScreenSaver'
MAIN_OBJ = '/org/freedesktop/ScreenSaver'
MAIN_IFACE = 'org.freedesktop.ScreenSaver'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.idle_ms = 0
    mock.tells_idle_time = True
    mock.AddMethod(MAIN_IFACE, 'GetActive', '', 'b', 'ret = False')


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='u')
def GetSessionIdleTime(self):
    if not self.tells_idle_time:
        raise dbus.exceptions.DBusException('not supported',
                                            name='org.freedesktop.DBus.Error.NotSupported')
    return dbus.UInt32(self.idle_ms)


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='')
def SetIdleTime(self, idle_ms):
    self.idle_ms = int(idle_ms)


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetTellsIdleTime(self, tells):
    self.tells_idle_time = bool(tells)
