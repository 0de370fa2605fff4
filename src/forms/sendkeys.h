// SendKeys: queues keystrokes for the active window without waiting; they
// take effect once the current handler has returned to the event loop.
#pragma once

#include <QString>

namespace forms {

// Understands single characters and "{TAB}".
void SendKeys(const QString& keys);

}  // namespace forms
