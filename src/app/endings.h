// The endings of a run besides the window's close: the end of the desktop
// session and, where the system has them, signals: SIGTERM (logout,
// shutdown, kill), SIGHUP (the terminal it was started from closes) and
// SIGINT (Ctrl+C there). A signal only wakes the event loop; the ending
// itself runs there, as any event does.
//
// The session's end comes in two steps (X11 session management, XSMP). The
// session manager first asks every program to save its work: the palette
// is saved then, once for each request, and the program goes on, since the
// user may still cancel the logout. Only when the session really ends is
// the program told to die; Qt then closes its windows as the user does.
// Qt 6.4 has no session management on Wayland: there a session ends its
// programs with SIGTERM (logind stopping the session's scope) or by the
// compositor going away, which Qt answers with an immediate _exit(1); the
// palette's prompt save has by then put every store in the file.
#pragma once

#include <QObject>
#include <chrono>
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
  // `end` runs on the event loop for every signal that arrives. `commit`
  // saves for the session's end and returns what the user should be told;
  // `tell` shows it where the session lets the program speak, and standard
  // error gets it otherwise.
  Endings(std::function<void()> end, std::function<QString()> commit,
          std::function<void(const QString&)> tell);
  ~Endings() override;
  Endings(const Endings&) = delete;
  Endings& operator=(const Endings&) = delete;

 private:
  std::function<void()> end_;
  std::function<QString()> commit_;
  std::function<void(const QString&)> tell_;
  std::unique_ptr<Signals> signals_;
};

// Bounds the rest of a run whose window is closed and whose palette is
// saved: if the program has not ended `bound` from now, it ends then with
// `status`, skipping whatever teardown is still running. Qt 6.4's Wayland
// platform now and then never finishes its own: a last wake of the event
// loop prepares a read of the display for the event thread to make, and when
// that thread is told to quit at the same moment it leaves without making
// or cancelling it; the thread of the frame callbacks' queue, already in
// wl_display_read_events, then waits for that read forever, and so does
// ~QWaylandDisplay for the thread. Nothing of the program's is left to do by
// then, so nothing is lost by skipping it.
void EndWithin(std::chrono::milliseconds bound, int status);

}  // namespace app
