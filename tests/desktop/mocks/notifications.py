'''A notification server with KDE's "Inhibited" property (do not disturb), for the tests; the
test changes it with the mock's UpdateProperties.'''

import dbus

BUS_NAME = 'org.freedesktop.Notifications'
MAIN_OBJ = '/org/freedesktop/Notifications'
MAIN_IFACE = 'org.freedesktop.Notifications'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'Inhibited': False}, signature='sv'))
