// What copies say to each other over their sockets, one line at a time:
//   "title?"             answered by the asked copy's title, percent-encoded;
//   "activate TOKEN ID"  answered by "ok" once the asked copy was told to come
//                        forward; TOKEN and ID are the asking copy's handshake,
//                        each percent-encoded and possibly empty.
// Only bytes are handled here, never a socket, so that every line a stranger
// could send is tried in the tests.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "instance/instances.h"

namespace instance::wire {

// A question or answer longer than this is not from a copy of ours.
inline constexpr qsizetype kMaxLine = 4096;

QByteArray TitleQuestion();
QByteArray ActivateQuestion(const Handshake& handshake);

// The answer to the title question; any title fits on one line.
QByteArray TitleAnswer(const QString& title);
QByteArray ActivatedAnswer();

struct Question {
  enum class Kind { Title, Activate };
  Kind kind = Kind::Title;
  // For Activate: a token or id that is not one a desktop hands out arrives
  // empty, while the request itself still stands.
  Handshake handshake;
};

// The question `line` asks, or nothing for a line no copy of ours sends.
std::optional<Question> ParseQuestion(QByteArrayView line);

// Cuts what arrives on a socket into lines, however it was split on the way.
// A line's length is checked as its bytes arrive, so a line longer than
// kMaxLine is never kept whole, whether or not its newline ever comes.
class LineBuffer {
 public:
  void Append(QByteArrayView bytes);
  // The next whole line without its newline, if one has arrived; nothing
  // once the buffer has overflowed.
  std::optional<QByteArray> TakeLine();
  // A line ran past kMaxLine bytes: whatever follows it is not from a copy of
  // ours, and nothing more is kept.
  bool Overflowed() const { return overflowed_; }

 private:
  QByteArray pending_;
  // Bytes of the last line in pending_ that has no newline yet.
  qsizetype open_ = 0;
  bool overflowed_ = false;
};

}  // namespace instance::wire
