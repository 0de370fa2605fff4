// Bringing this copy's window forward when another copy asks for it. Desktops
// refuse to hand the keyboard focus to a window that merely asks, so that a
// program cannot snatch keys meant for another; they grant it with the
// launcher's proof that the user just started the program, which the other
// copy passes on (an xdg-activation token on Wayland, a startup notification
// id on X11). Without one the window comes as far as the desktop allows:
// raised, or marked as asking for the user's attention.
#pragma once

#include <QByteArrayView>

class QWindow;

namespace instance {

struct Handshake;

void BringForward(QWindow& window, const Handshake& handshake);

// Asks the X11 window manager to activate `window` with the time that
// `startupId` carries and completes that start; with no time, marks the window
// as asking for attention. False when not on X11 (activation_x11.cpp, where
// xcb was found).
bool ActivateOnX11(QWindow& window, QByteArrayView startupId);

}  // namespace instance
