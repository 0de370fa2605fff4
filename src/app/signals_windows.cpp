#include "endings.h"

namespace app {

// A Windows program without a console is ended through its windows and the
// session (WM_CLOSE, WM_QUERYENDSESSION), which Qt turns into the close and
// the session's request: there are no signals to watch.
std::unique_ptr<Signals> Signals::Watch(QObject&, std::function<void()>) {
  return nullptr;
}

}  // namespace app
