// The X11 calls of bringing the window forward, on the connection Qt's X11
// platform already has open, so that a start loads nothing more for them.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "instance/linux/activation.h"
#include "instance/linux/startupnotification.h"

namespace instance {
namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

xcb_client_message_event_t ClientMessage(xcb_window_t window, xcb_atom_t type,
                                         std::uint8_t format) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = format;
  event.window = window;
  event.type = type;
  return event;
}

void SendToRoot(xcb_connection_t* connection, xcb_window_t root, std::uint32_t mask,
                const xcb_client_message_event_t& event) {
  xcb_send_event(connection, 0, root, mask, reinterpret_cast<const char*>(&event));
}

}  // namespace

bool ActivateOnX11(QWindow& window, QByteArrayView startupId) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return false;
  xcb_connection_t* connection = x11->connection();
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const auto self = static_cast<xcb_window_t>(window.winId());

  // An application's request (source 1) stamped with the time of the user's
  // action in the launcher: the window manager weighs it against the user's
  // later actions rather than refusing an application that asks by itself.
  // Without that time the window only asks for the user's attention. Qt's own
  // request would carry the last event time it saw, a property change
  // anywhere on the screen included, which KWin takes for the user's action
  // and so hands a start from a terminal the focus.
  if (const std::optional<std::uint32_t> time = StartupTime(startupId); !time) {
    window.alert(0);
  } else {
    xcb_client_message_event_t event =
        ClientMessage(self, Atom(connection, "_NET_ACTIVE_WINDOW"), 32);
    event.data.data32[0] = 1;
    event.data.data32[1] = *time;
    SendToRoot(connection, root,
               XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, event);
  }

  // The launcher shows the start as busy until it is told it is complete, in
  // pieces of 20 bytes ending with a zero byte.
  if (startupId.isEmpty()) return true;
  QByteArray message = StartupRemoveMessage(startupId);
  message.append('\0');
  const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
  for (qsizetype at = 0; at < message.size(); at += 20) {
    xcb_client_message_event_t event = ClientMessage(self, at == 0 ? begin : more, 8);
    std::memcpy(event.data.data8, message.constData() + at,
                static_cast<std::size_t>(std::min<qsizetype>(20, message.size() - at)));
    SendToRoot(connection, root, XCB_EVENT_MASK_PROPERTY_CHANGE, event);
  }
  xcb_flush(connection);
  return true;
}

}  // namespace instance
