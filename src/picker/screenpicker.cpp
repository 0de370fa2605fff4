#include "picker/screenpicker.h"

#include <QGuiApplication>

#include "picker/portalpicker.h"
#ifdef HUVENOR_HAVE_XCB
#include "picker/x11picker.h"
#endif

namespace picker {

Backend MakeScreenPicker() {
  const QString platform = QGuiApplication::platformName();
#ifdef HUVENOR_HAVE_XCB
  if (platform == QStringLiteral("xcb")) return {std::make_unique<X11Picker>(), {}};
#endif
  if (platform == QStringLiteral("wayland")) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    QString why = PortalPicker::Unavailable(bus);
    if (!why.isEmpty()) return {nullptr, why};
    return {std::make_unique<PortalPicker>(bus), {}};
  }
  return {nullptr, QStringLiteral("Picking from the screen needs an X11 or Wayland desktop; "
                                  "this program is showing on \"%1\".")
                       .arg(platform)};
}

}  // namespace picker
