'''A desktop portal for the picker's tests (a python-dbusmock template).

Parameters: "version", the Screenshot interface's version (2 by default), and
"answer": "color" (0.2, 0.5, 0.999), "cancel", "fail" or "none" (it never
answers). Like the real portal it answers on the request object named after
the caller and its handle_token, a moment after PickColor has returned.
'''

import dbus
import dbus.lowlevel
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.Screenshot'
SYSTEM_BUS = False


def load(mock, parameters):
    answer = parameters.get('answer', 'color')
    mock.AddProperties(MAIN_IFACE, {'version': dbus.UInt32(parameters.get('version', 2))})

    def pick_color(self, _parent_window, options):
        # dbusmock does not pass the caller's name; on this private bus the
        # test is the only other client.
        bus = self.connection
        caller = [n for n in bus.list_names() if n.startswith(':') and n != bus.get_unique_name()][0]
        path = '/org/freedesktop/portal/desktop/request/%s/%s' % (
            caller[1:].replace('.', '_'), options['handle_token'])

        def respond():
            code, results = {
                'color': (0, {'color': dbus.Struct((0.2, 0.5, 0.999), signature='ddd')}),
                'cancel': (1, {}),
                'fail': (2, {}),
            }[answer]
            signal = dbus.lowlevel.SignalMessage(path, 'org.freedesktop.portal.Request', 'Response')
            signal.append(dbus.UInt32(code), dbus.Dictionary(results, signature='sv'),
                          signature='ua{sv}')
            bus.send_message(signal)
            return False

        if answer != 'none':
            GLib.timeout_add(20, respond)
        return dbus.ObjectPath(path)

    mock.AddMethod(MAIN_IFACE, 'PickColor', 'sa{sv}', 'o', pick_color)
