// Record access to a device: fixed-length records numbered from 1, record n
// at bytes (n-1)*length .. n*length-1. Writing a record past the end grows the
// device; nothing else is touched, so bytes before and after stay as they
// were. Failures come back as values.
#pragma once

#include <QIODevice>
#include <QString>
#include <cstddef>
#include <span>

namespace forms {

struct RecordRead {
  // Bytes of the record that the device held; the rest of the buffer is zero.
  qint64 bytesHeld = 0;
  QString error;  // empty unless the device failed
};

class RecordFile {
 public:
  RecordFile(QIODevice& device, qint64 recordLength);

  RecordRead Read(qint64 recordNumber, std::span<std::byte> record);
  // Returns the device's error text, or an empty text on success.
  QString Write(qint64 recordNumber, std::span<const std::byte> record);

 private:
  qint64 OffsetOf(qint64 recordNumber) const { return (recordNumber - 1) * recordLength_; }

  QIODevice& device_;
  qint64 recordLength_;
};

}  // namespace forms
