// Reading and writing records is covered through the palette file (tests/palette).
#include "forms/recordfile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <array>

namespace forms {
namespace {

std::array<std::byte, 4> Bytes(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return {std::byte{a}, std::byte{b}, std::byte{c}, std::byte{d}};
}

TEST(RecordFile, AFailingDeviceIsReportedNotHidden) {
  QByteArray bytes(8, '\0');
  QBuffer device(&bytes);
  ASSERT_TRUE(device.open(QIODevice::ReadOnly));
  RecordFile file(device, 4);
  EXPECT_FALSE(file.Write(1, Bytes(1, 2, 3, 4)).isEmpty());
}

}  // namespace
}  // namespace forms
