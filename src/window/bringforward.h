// Bringing the window forward when another copy asks for it. Desktops refuse
// to hand the keyboard focus to a window that merely asks, so that a program
// cannot snatch keys meant for another; they grant it with the launcher's proof
// that the user just started the program, which the other copy passes on (an
// xdg-activation token on Wayland, a startup notification id on X11). Without
// one the window comes as far as the desktop allows: raised, or marked as
// asking for the user's attention.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

class QWidget;

namespace instance {
struct Handshake;
}

namespace window {

void BringForward(QWidget& window, const instance::Handshake& handshake);

// The X11 part (bringforward_x11.cpp). A startup notification id ends in
// "_TIME" and the X server time of the user's action that started the program.
std::optional<std::uint32_t> StartupTime(QByteArrayView startupId);
// The message that tells the launcher the start it announced is complete, so
// that it stops showing it as busy.
QByteArray StartupRemoveMessage(QByteArrayView startupId);

}  // namespace window
