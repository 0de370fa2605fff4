// On Linux the X server is read directly in an X11 session, and the desktop
// portal is asked under a Wayland session.
#include <QDBusConnection>
#include <QGuiApplication>

#include "picker/portalpicker.h"
#include "picker/screenpicker.h"
#ifdef HUVENOR_HAVE_XCB
#include "picker/x11picker.h"
#endif

namespace picker {

namespace {

// Qt's platform does not tell the session: under a Wayland session Qt may run
// through Xwayland, whose root window holds no pixels of Wayland windows. A
// session that names its type is taken at its word; one that does not is
// Wayland when a Wayland display is there.
bool WaylandSession() {
  const QByteArray type = qgetenv("XDG_SESSION_TYPE");
  if (type == "wayland") return true;
  if (type == "x11") return false;
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

Backend MakeScreenPicker() {
  const QString platform = QGuiApplication::platformName();
  const bool wayland = platform == QStringLiteral("wayland");
  // Elsewhere (offscreen, a VNC server of Qt's own) the window is not on the
  // desktop the user would pick from.
  if (!wayland && platform != QStringLiteral("xcb")) {
    return {nullptr, QStringLiteral("Picking from the screen needs an X11 or Wayland desktop; "
                                    "this program is showing on \"%1\".")
                         .arg(platform)};
  }
  if (wayland || WaylandSession())
    return {std::make_unique<PortalPicker>(QDBusConnection::sessionBus()), {}};
#ifdef HUVENOR_HAVE_XCB
  return {std::make_unique<X11Picker>(), {}};
#else
  return {nullptr, QStringLiteral("Picking from the screen in an X11 session needs a build "
                                  "with libxcb.")};
#endif
}

}  // namespace picker
