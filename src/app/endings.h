// The endings of a run besides the window's close: the end of the desktop
// session and, where the system has them, signals: SIGTERM (logout,
// shutdown, kill), SIGHUP (the terminal it was started from closes) and
// SIGINT (Ctrl+C there). A signal only wakes the event loop; the ending
// itself runs there, as any event does.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace app {

// The system's signals that end a program, watched for as long as it lives
// (signals_<platform>.cpp); a signal this process was started ignoring
// (nohup) stays ignored.
class Signals {
 public:
  virtual ~Signals() = default;
  static std::unique_ptr<Signals> Watch(QObject& owner, std::function<void()> end);
};

class Endings : public QObject {
 public:
  // `end` runs on the event loop for every ending that arrives.
  explicit Endings(std::function<void()> end);
  ~Endings() override;
  Endings(const Endings&) = delete;
  Endings& operator=(const Endings&) = delete;

 private:
  std::function<void()> end_;
  std::unique_ptr<Signals> signals_;
};

}  // namespace app
