#include "instance/linux/asking.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>
#include <utility>

#include "instance/linux/descriptor.h"
#include "instance/linux/wire.h"

namespace instance {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A copy whose queue of connections is full is alive but not accepting; it is
// tried again after this nap until the question's deadline.
constexpr auto kBacklogRetry = 5ms;

// Waits until `fd` is ready for `events`, but not past `deadline`. An error or
// hang-up counts as ready, so that the next call on the socket reports it.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms) return false;
    pollfd entry{fd, events, 0};
    const int ready =
        ::poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

Contact Connect(int fd, const sockaddr_un& address, Clock::time_point deadline) {
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
      return Contact::Answered;
    int error = errno;
    if (error == EINPROGRESS) {
      socklen_t size = sizeof error;
      if (!WaitFor(fd, POLLOUT, deadline) ||
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Contact::Silent;
      if (error == 0) return Contact::Answered;
    }
    switch (error) {
      case EISCONN:
        return Contact::Answered;
      case ECONNREFUSED:
        return Contact::Stale;
      case ENOENT:
      case ENOTDIR:
        return Contact::Gone;
      case EINTR:
        continue;
      case EAGAIN: {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return Contact::Silent;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, kBacklogRetry));
        continue;
      }
      default:
        return Contact::Silent;
    }
  }
}

// MSG_NOSIGNAL: a peer that vanished must not end this copy with SIGPIPE.
bool SendAll(int fd, const QByteArray& data, Clock::time_point deadline) {
  qsizetype sent = 0;
  while (sent < data.size()) {
    const ssize_t done = ::send(fd, data.constData() + sent,
                                static_cast<std::size_t>(data.size() - sent), MSG_NOSIGNAL);
    if (done >= 0) {
      sent += done;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

// The first line from `fd` without its newline; nothing if none came in time.
std::optional<QByteArray> ReceiveLine(int fd, Clock::time_point deadline) {
  wire::LineBuffer received;
  for (;;) {
    if (std::optional<QByteArray> line = received.TakeLine()) return line;
    if (received.Overflowed()) return std::nullopt;
    char chunk[512];
    const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
    if (got > 0) {
      received.Append(QByteArrayView(chunk, got));
    } else if (got == 0) {
      return std::nullopt;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd, POLLIN, deadline)) return std::nullopt;
    } else if (errno != EINTR) {
      return std::nullopt;
    }
  }
}

}  // namespace

std::optional<sockaddr_un> AddressOf(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
    static std::atomic_flag warned;
    if (!warned.test_and_set()) {
      qWarning("Huvenor: %ls is too long for a local socket; copies there cannot be reached",
               qUtf16Printable(path));
    }
    return std::nullopt;
  }
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  return address;
}

Reply Ask(const QString& path, const QByteArray& question, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  const std::optional<sockaddr_un> address = AddressOf(path);
  if (!address) return {Contact::Gone, {}};
  const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return {Contact::Silent, {}};
  const Contact contact = Connect(socket.Get(), *address, deadline);
  if (contact != Contact::Answered || question.isEmpty()) return {contact, {}};

  if (!SendAll(socket.Get(), question + '\n', deadline)) return {Contact::Silent, {}};
  std::optional<QByteArray> answer = ReceiveLine(socket.Get(), deadline);
  if (!answer) return {Contact::Silent, {}};
  return {Contact::Answered, std::move(*answer)};
}

}  // namespace instance
