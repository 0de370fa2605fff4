#include "instance/linux/startuplock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <QFile>
#include <cerrno>
#include <thread>

namespace instance {

namespace {

// Short naps between attempts let copies started together follow each other
// closely.
constexpr std::chrono::milliseconds kRetry(20);

}  // namespace

Descriptor TakeStartupLock(const QString& path, std::chrono::milliseconds timeout) {
  Descriptor file(
      ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!file.Valid()) return Descriptor();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return Descriptor();
    if (std::chrono::steady_clock::now() >= deadline) return Descriptor();
    std::this_thread::sleep_for(kRetry);
  }
  return file;
}

}  // namespace instance
