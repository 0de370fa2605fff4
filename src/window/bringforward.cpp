#include "window/bringforward.h"

#include <QGuiApplication>
#include <QWidget>

#include "instance/localinstances.h"

namespace window {

// Asks the X11 window manager to activate `window` with the time that
// `startupId` carries and completes that start; false when not on X11 or the
// id carries no time (bringforward_x11.cpp).
bool ActivateOnX11(QWidget& window, QByteArrayView startupId);

#ifndef HUVENOR_HAVE_XCB
bool ActivateOnX11(QWidget&, QByteArrayView) {
  return false;
}
#endif

std::optional<std::uint32_t> StartupTime(QByteArrayView startupId) {
  const qsizetype at = startupId.lastIndexOf(QByteArrayView("_TIME"));
  if (at < 0) return std::nullopt;
  const QByteArrayView digits = startupId.sliced(at + 5);
  if (digits.isEmpty() || digits.size() > 10) return std::nullopt;
  std::uint64_t time = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    time = time * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (time > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(time);
}

QByteArray StartupRemoveMessage(QByteArrayView startupId) {
  QByteArray message("remove: ID=");
  // A value with a space, quote or backslash in it goes in quotes, with the
  // last two escaped; any other is sent as it is.
  if (!startupId.contains(' ') && !startupId.contains('"') && !startupId.contains('\\'))
    return message + startupId.toByteArray();
  message += '"';
  for (const char c : startupId) {
    if (c == '"' || c == '\\') message += '\\';
    message += c;
  }
  return message + '"';
}

void BringForward(QWidget& window, const instance::Handshake& handshake) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    // Qt's Wayland platform activates with the token it finds in the
    // environment at this call and removes it. A token of this copy's own
    // launch, long spent, must not stand in for a missing one: without a token
    // Qt asks with the user's last input in this copy, which the desktop
    // grants only when the copy already has the focus.
    if (handshake.activationToken.isEmpty())
      qunsetenv("XDG_ACTIVATION_TOKEN");
    else
      qputenv("XDG_ACTIVATION_TOKEN", handshake.activationToken);
    window.activateWindow();
    qunsetenv("XDG_ACTIVATION_TOKEN");
    return;
  }
  if (!ActivateOnX11(window, handshake.startupId)) window.activateWindow();
}

}  // namespace window
