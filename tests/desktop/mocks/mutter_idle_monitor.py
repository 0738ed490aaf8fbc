'''GNOME's idle monitor (Mutter) for the tests: idle and user-active watches, and an idle time
the test sets with SetIdletime, firing the watches as Mutter would.'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.gnome.Mutter.IdleMonitor'
MAIN_OBJ = '/org/gnome/Mutter/IdleMonitor/Core'
MAIN_IFACE = 'org.gnome.Mutter.IdleMonitor'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.watches = {}  # id -> interval in ms; 0 for a user-active watch
    mock.next_watch = 1
    mock.idletime = 0


def _add(self, interval):
    watch = self.next_watch
    self.next_watch += 1
    self.watches[watch] = interval
    return dbus.UInt32(watch)


@dbus.service.method(MAIN_IFACE, in_signature='t', out_signature='u')
def AddIdleWatch(self, interval):
    return _add(self, int(interval))


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='u')
def AddUserActiveWatch(self):
    return _add(self, 0)


@dbus.service.method(MAIN_IFACE, in_signature='u', out_signature='')
def RemoveWatch(self, watch):
    self.watches.pop(int(watch), None)


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='t')
def GetIdletime(self):
    return dbus.UInt64(self.idletime)


@dbus.service.method(MOCK_IFACE, in_signature='t', out_signature='')
def SetIdletime(self, idletime):
    '''Input (a smaller idle time) fires and ends the user-active watches; an idle time that
    reaches a watch's interval fires that watch.'''
    before, self.idletime = self.idletime, int(idletime)
    for watch, interval in sorted(self.watches.items()):
        if interval == 0 and self.idletime < before:
            del self.watches[watch]
            self.EmitSignal(MAIN_IFACE, 'WatchFired', 'u', [dbus.UInt32(watch)])
        elif interval > 0 and before < interval <= self.idletime:
            self.EmitSignal(MAIN_IFACE, 'WatchFired', 'u', [dbus.UInt32(watch)])


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='at')
def Watches(self):
    '''The intervals of the watches in place, smallest first (0: user-active).'''
    return dbus.Array(sorted(self.watches.values()), signature='t')
