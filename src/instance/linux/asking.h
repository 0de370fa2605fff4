// Asking another copy one question over its socket, from the copy that asks:
// everything within a deadline, so that a copy that is hung holds up the one
// asking no longer than that.
#pragma once

#include <sys/un.h>

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace instance {

// A path too long for sun_path is refused rather than cut short, since the
// shortened path would name some other file. No copy of ours listens on such a
// path, so one met among the others' sockets is passed by.
std::optional<sockaddr_un> AddressOf(const QString& path);

enum class Contact {
  Answered,  // connected, and answered if asked
  Silent,    // something is there but did not answer in time
  Stale,     // nobody listens: the copy that made the socket is gone
  Gone,      // the socket went away meanwhile
};

struct Reply {
  Contact contact = Contact::Gone;
  QByteArray answer;
};

// Connects to the copy at `path` and, unless `question` is empty, asks it and
// waits for its one-line answer; all within `timeout`.
Reply Ask(const QString& path, const QByteArray& question, std::chrono::milliseconds timeout);

}  // namespace instance
