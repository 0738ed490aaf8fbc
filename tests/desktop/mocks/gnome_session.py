'''GNOME's session manager for the tests: inhibitors the test adds and removes (with their
flags), told by InhibitorAdded and InhibitorRemoved, and IsInhibited.'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.inhibitors = {}  # number -> flags
    mock.next_inhibitor = 1


@dbus.service.method(MAIN_IFACE, in_signature='u', out_signature='b')
def IsInhibited(self, flags):
    return any(f & int(flags) for f in self.inhibitors.values())


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='u')
def AddInhibitor(self, flags):
    number = self.next_inhibitor
    self.next_inhibitor += 1
    self.inhibitors[number] = int(flags)
    self.EmitSignal(MAIN_IFACE, 'InhibitorAdded', 'o',
                    [dbus.ObjectPath(f'/org/gnome/SessionManager/Inhibitor{number}')])
    return dbus.UInt32(number)


@dbus.service.method(MOCK_IFACE, in_signature='u', out_signature='')
def RemoveInhibitor(self, number):
    del self.inhibitors[int(number)]
    self.EmitSignal(MAIN_IFACE, 'InhibitorRemoved', 'o',
                    [dbus.ObjectPath(f'/org/gnome/SessionManager/Inhibitor{int(number)}')])
