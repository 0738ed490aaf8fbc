'''KDE's power management inhibition for the tests: HasInhibit and HasInhibitChanged, set by
the test with SetHasInhibit.'''

import dbus

from dbusmock import MOCK_IFACE

BUS_NAME = 'org.freedesktop.PowerManagement'
MAIN_OBJ = '/org/freedesktop/PowerManagement/Inhibit'
MAIN_IFACE = 'org.freedesktop.PowerManagement.Inhibit'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.has_inhibit = False


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='b')
def HasInhibit(self):
    return self.has_inhibit


@dbus.service.method(MOCK_IFACE, in_signature='b', out_signature='')
def SetHasInhibit(self, has):
    self.has_inhibit = bool(has)
    self.EmitSignal(MAIN_IFACE, 'HasInhibitChanged', 'b', [dbus.Boolean(has)])
