#include "instance/linux/wire.h"

#include <QList>
#include <QStringDecoder>
#include <cctype>
#include <cstring>

namespace instance::wire {

namespace {

constexpr char kAskTitle[] = "title?";
constexpr char kAskActivate[] = "activate";
constexpr char kActivated[] = "ok";

// Desktops hand out tokens and ids of a few dozen characters; one longer than
// this is not a desktop's. Both percent-encoded still fit within kMaxLine.
constexpr qsizetype kMaxHandshakeField = 512;

bool IsPercentEncoded(QByteArrayView field) {
  for (qsizetype i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c == '%') {
      if (i + 2 >= field.size() || !std::isxdigit(static_cast<unsigned char>(field[i + 1])) ||
          !std::isxdigit(static_cast<unsigned char>(field[i + 2])))
        return false;
      i += 2;
    } else if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr("-._~", c)) {
      return false;
    }
  }
  return true;
}

// A token or id as a desktop hands it out, or empty for anything else: it is
// passed on to the desktop and into X11 messages, so nothing that could be
// read as more than one value (control characters, text that is not UTF-8) or
// that would not fit a line is let through.
QByteArray DecodeHandshakeField(QByteArrayView field) {
  if (field.size() > 3 * kMaxHandshakeField || !IsPercentEncoded(field)) return {};
  const QByteArray decoded = QByteArray::fromPercentEncoding(field.toByteArray());
  if (decoded.size() > kMaxHandshakeField) return {};
  for (const char c : decoded) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return {};
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  static_cast<void>(QString(utf8(decoded)));
  return utf8.hasError() ? QByteArray() : decoded;
}

}  // namespace

QByteArray TitleQuestion() {
  return kAskTitle;
}

QByteArray ActivateQuestion(const Handshake& handshake) {
  return QByteArray(kAskActivate) + ' ' + handshake.activationToken.toPercentEncoding() + ' ' +
         handshake.startupId.toPercentEncoding();
}

QByteArray TitleAnswer(const QString& title) {
  return title.toUtf8().toPercentEncoding();
}

QByteArray ActivatedAnswer() {
  return kActivated;
}

std::optional<Question> ParseQuestion(QByteArrayView line) {
  if (line == kAskTitle) return Question{};
  // A bare "activate" is a request without a handshake.
  if (line == kAskActivate) return Question{Question::Kind::Activate, {}};
  const QByteArray activate = QByteArray(kAskActivate) + ' ';
  if (!line.startsWith(activate)) return std::nullopt;
  const QList<QByteArray> fields = line.sliced(activate.size()).toByteArray().split(' ');
  return Question{Question::Kind::Activate,
                  {DecodeHandshakeField(fields.value(0)), DecodeHandshakeField(fields.value(1))}};
}

void LineBuffer::Append(QByteArrayView bytes) {
  if (overflowed_) return;
  const qsizetype lastBreak = bytes.lastIndexOf('\n');
  // Each line ended in `bytes` is checked as it goes in; the open one at the
  // end, with what came before it.
  for (qsizetype start = 0, end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1) {
    if ((start == 0 ? open_ : 0) + end - start > kMaxLine) {
      overflowed_ = true;
      break;
    }
  }
  open_ = lastBreak < 0 ? open_ + bytes.size() : bytes.size() - lastBreak - 1;
  if (open_ > kMaxLine) overflowed_ = true;
  if (overflowed_) {
    pending_.clear();
    return;
  }
  pending_.append(bytes);
}

std::optional<QByteArray> LineBuffer::TakeLine() {
  const qsizetype end = pending_.indexOf('\n');
  if (end < 0) return std::nullopt;
  QByteArray line = pending_.left(end);
  pending_.remove(0, end + 1);
  return line;
}

}  // namespace instance::wire
