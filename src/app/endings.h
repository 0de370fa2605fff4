// The endings of a run besides the window's close: SIGTERM (logout,
// shutdown, kill), SIGHUP (the terminal it was started from closes), SIGINT
// (Ctrl+C there) and the end of the desktop session. The signal handler only
// wakes the event loop; the ending itself runs there, as any event does.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

class Endings : public QObject {
 public:
  // `end` runs on the event loop for every ending that arrives. A signal
  // this process was started ignoring (nohup) stays ignored.
  explicit Endings(std::function<void()> end);
  ~Endings() override;
  Endings(const Endings&) = delete;
  Endings& operator=(const Endings&) = delete;

 private:
  std::function<void()> end_;
  QSocketNotifier* woken_ = nullptr;
};

}  // namespace app
