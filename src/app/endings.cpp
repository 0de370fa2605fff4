#include "endings.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <utility>

namespace app {
namespace {

constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};
// Read end, write end. One program, one set of endings.
int wakePipe[2] = {-1, -1};

void Wake(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up.
  [[maybe_unused]] const auto written = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

Endings::Endings(std::function<void()> end) : end_(std::move(end)) {
  if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  woken_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
  QObject::connect(woken_, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
    end_();
  });
  struct sigaction action {};
  action.sa_handler = Wake;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int number : kSignals) {
    struct sigaction before {};
    if (::sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(number, &action, nullptr);
  }
  // The session asks first whether the program may end; ending now saves
  // the palette before the session is gone.
  QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
                   [this](QSessionManager&) { end_(); });
}

Endings::~Endings() {
  if (woken_ == nullptr) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int number : kSignals) {
    struct sigaction now {};
    if (::sigaction(number, nullptr, &now) == 0 && now.sa_handler == Wake)
      ::sigaction(number, &action, nullptr);
  }
  delete woken_;
  ::close(wakePipe[0]);
  ::close(wakePipe[1]);
}

}  // namespace app
