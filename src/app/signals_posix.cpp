#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <utility>

#include "endings.h"

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

class PosixSignals final : public Signals {
 public:
  PosixSignals(QObject& owner, std::function<void()> end) : end_(std::move(end)) {
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    woken_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(woken_, &QSocketNotifier::activated, &owner, [this] {
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
  }

  ~PosixSignals() override {
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

  PosixSignals(const PosixSignals&) = delete;
  PosixSignals& operator=(const PosixSignals&) = delete;

 private:
  std::function<void()> end_;
  QSocketNotifier* woken_ = nullptr;
};

}  // namespace

std::unique_ptr<Signals> Signals::Watch(QObject& owner, std::function<void()> end) {
  return std::make_unique<PosixSignals>(owner, std::move(end));
}

}  // namespace app
