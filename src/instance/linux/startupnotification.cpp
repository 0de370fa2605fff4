#include "instance/linux/startupnotification.h"

namespace instance {

std::optional<std::uint32_t> StartupTime(QByteArrayView startupId) {
  const qsizetype at = startupId.lastIndexOf(QByteArrayView("_TIME"));
  if (at < 0) return std::nullopt;
  const QByteArrayView digits = startupId.sliced(at + 5);
  if (digits.isEmpty() || digits.size() > 10) return std::nullopt;
  std::uint64_t time = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    time = time * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (time > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(time);
}

QByteArray StartupRemoveMessage(QByteArrayView startupId) {
  QByteArray message("remove: ID=");
  // A value with a space, quote or backslash in it goes in quotes, with the
  // last two escaped; any other is sent as it is.
  if (!startupId.contains(' ') && !startupId.contains('"') && !startupId.contains('\\'))
    return message + startupId.toByteArray();
  message += '"';
  for (const char c : startupId) {
    if (c == '"' || c == '\\') message += '\\';
    message += c;
  }
  return message + '"';
}

}  // namespace instance
