#include "forms/recordfile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <array>

namespace forms {
namespace {

std::array<std::byte, 4> Bytes(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return {std::byte{a}, std::byte{b}, std::byte{c}, std::byte{d}};
}

TEST(RecordFile, ReadsRecordsByNumberAndReportsHowMuchTheFileHeld) {
  QByteArray bytes = QByteArray::fromHex("0102030405060708090a");
  QBuffer device(&bytes);
  ASSERT_TRUE(device.open(QIODevice::ReadOnly));
  RecordFile file(device, 4);
  std::array<std::byte, 4> record{};

  RecordRead read = file.Read(2, record);
  EXPECT_EQ(read.bytesHeld, 4);
  EXPECT_EQ(record, Bytes(5, 6, 7, 8));

  read = file.Read(3, record);
  EXPECT_EQ(read.bytesHeld, 2);
  EXPECT_EQ(record, Bytes(9, 10, 0, 0)) << "missing bytes read as zero";

  read = file.Read(4, record);
  EXPECT_EQ(read.bytesHeld, 0);
  EXPECT_EQ(record, Bytes(0, 0, 0, 0));
  EXPECT_TRUE(read.error.isEmpty());
}

TEST(RecordFile, WritesInPlaceAndGrowsOnlyAsFarAsTheRecord) {
  QByteArray bytes = QByteArray::fromHex("0102030405060708090a0b0c");
  QBuffer device(&bytes);
  ASSERT_TRUE(device.open(QIODevice::ReadWrite));
  RecordFile file(device, 4);
  EXPECT_TRUE(file.Write(2, Bytes(0xAA, 0xBB, 0xCC, 0xDD)).isEmpty());
  EXPECT_EQ(bytes.toHex(), QByteArray("01020304aabbccdd090a0b0c"));
  EXPECT_TRUE(file.Write(5, Bytes(1, 1, 1, 1)).isEmpty());
  EXPECT_EQ(bytes.size(), 20);
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
