// The two things bringing a window forward on X11 takes from a launcher's
// startup notification id; bytes only, so that they are tested without a
// display.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace instance {

// A startup notification id ends in "_TIME" and the X server time of the
// user's action that started the program.
std::optional<std::uint32_t> StartupTime(QByteArrayView startupId);

// The message that tells the launcher the start it announced is complete, so
// that it stops showing it as busy.
QByteArray StartupRemoveMessage(QByteArrayView startupId);

}  // namespace instance
