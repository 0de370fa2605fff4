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
    // The note is written by a thread of its own and by one call, outside
    // stdio: a stuck teardown may hold stdio's lock, and a pipe nobody
    // reads would block the write. Neither may hold up the end it announces.
    std::thread([] {
      static constexpr char kNote[] = "huvenor: the teardown took too long; ended without it\n";
      [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
    }).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::_Exit(status);
  }).detach();
}

}  // namespace app
