'''A desktop portal for the picker's tests (a python-dbusmock template).

Parameters: "version", the Screenshot interface's version (2 by default);
"answer": "color" (0.2, 0.5, 0.999), "cancel", "fail" or "none" (it never
answers); "handle": "predicted" (by default) or "other". Like the real portal
it exports a request object, named after the caller and its handle_token
unless "other", and answers on it a moment after PickColor has returned; the
object goes once it has answered. ClosedRequests on the portal's object lists
the requests the caller closed.
'''

import dbus
import dbus.lowlevel
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.Screenshot'
REQUEST_IFACE = 'org.freedesktop.portal.Request'
MOCK_IFACE = 'org.huvenor.PortalMock'
SYSTEM_BUS = False


def load(mock, parameters):
    answer = parameters.get('answer', 'color')
    handle = parameters.get('handle', 'predicted')
    mock.AddProperties(MAIN_IFACE, {'version': dbus.UInt32(parameters.get('version', 2))})
    mock.closed = []
    mock.AddMethod(MOCK_IFACE, 'ClosedRequests', '', 'as', 'ret = self.closed')

    def pick_color(self, _parent_window, options):
        # dbusmock does not pass the caller's name; on this private bus the
        # test is the only other client.
        bus = self.connection
        caller = [n for n in bus.list_names() if n.startswith(':') and n != bus.get_unique_name()][0]
        token = options['handle_token'] if handle == 'predicted' else 'elsewhere'
        path = '%s/request/%s/%s' % (MAIN_OBJ, caller[1:].replace('.', '_'), token)
        self.AddObject(path, REQUEST_IFACE, {}, [
            ('Close', '', '', 'objects["%s"].closed.append(self.path)' % MAIN_OBJ)])

        def respond():
            code, results = {
                'color': (0, {'color': dbus.Struct((0.2, 0.5, 0.999), signature='ddd')}),
                'cancel': (1, {}),
                'fail': (2, {}),
            }[answer]
            signal = dbus.lowlevel.SignalMessage(path, REQUEST_IFACE, 'Response')
            signal.append(dbus.UInt32(code), dbus.Dictionary(results, signature='sv'),
                          signature='ua{sv}')
            bus.send_message(signal)
            self.RemoveObject(path)
            return False

        # A portal that names the request itself can answer only after the
        # caller has heard where, and subscribed there.
        if answer != 'none':
            GLib.timeout_add(20 if handle == 'predicted' else 500, respond)
        return dbus.ObjectPath(path)

    mock.AddMethod(MAIN_IFACE, 'PickColor', 'sa{sv}', 'o', pick_color)
