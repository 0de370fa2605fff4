// Which kind of desktop session the program runs in, which decides how the
// screen can be read. Qt's platform does not tell it: under a Wayland session
// Qt may run through Xwayland, whose root window holds no pixels of Wayland
// windows.
#pragma once

#include <QByteArrayView>

namespace picker {

// From the session's XDG_SESSION_TYPE and whether WAYLAND_DISPLAY is set: a
// session that names its type is taken at its word, one that does not is
// Wayland when a Wayland display is there.
bool WaylandSession(QByteArrayView sessionType, bool waylandDisplay);

}  // namespace picker
