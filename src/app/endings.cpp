#include "endings.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

namespace app {

Endings::Endings(std::function<void()> end, std::function<QString()> commit,
                 std::function<void(const QString&)> tell)
    : end_(std::move(end)), commit_(std::move(commit)), tell_(std::move(tell)) {
  signals_ = Signals::Watch(*this, [this] { end_(); });
  // Qt's documentation forbids ending the program here: a logout the user
  // then cancels would still have ended it. The session manager waits for
  // the answer, so a problem is shown only when it lets the program ask
  // the user, and is released at once.
  QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
                   [this](QSessionManager& manager) {
                     const QString problem = commit_();
                     if (problem.isEmpty()) return;
                     if (manager.allowsErrorInteraction()) {
                       tell_(problem);
                       manager.release();
                     } else {
                       std::fprintf(stderr, "huvenor: %s\n", qUtf8Printable(problem));
                     }
                   });
}

Endings::~Endings() = default;

void EndWithin(std::chrono::milliseconds bound, int status) {
  std::thread([bound, status] {
    std::this_thread::sleep_for(bound);
    // Written whole by one call; the main thread may hold stdio's locks.
    static constexpr char kNote[] = "huvenor: the teardown took too long; ended without it\n";
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
    std::_Exit(status);
  }).detach();
}

}  // namespace app
