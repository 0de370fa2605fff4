#include "forms/recordfile.h"

#include <algorithm>
#include <cassert>

namespace forms {

RecordFile::RecordFile(QIODevice& device, qint64 recordLength)
    : device_(device), recordLength_(recordLength) {}

RecordRead RecordFile::Read(qint64 recordNumber, std::span<std::byte> record) {
  assert(recordNumber >= 1 && static_cast<qint64>(record.size()) == recordLength_);
  std::fill(record.begin(), record.end(), std::byte{0});
  const qint64 offset = OffsetOf(recordNumber);
  if (offset >= device_.size()) return {};
  if (!device_.seek(offset)) return {0, device_.errorString()};
  const qint64 got = device_.read(reinterpret_cast<char*>(record.data()), recordLength_);
  if (got < 0) return {0, device_.errorString()};
  return {got, {}};
}

QString RecordFile::Write(qint64 recordNumber, std::span<const std::byte> record) {
  assert(recordNumber >= 1 && static_cast<qint64>(record.size()) == recordLength_);
  if (!device_.seek(OffsetOf(recordNumber))) return device_.errorString();
  const qint64 put = device_.write(reinterpret_cast<const char*>(record.data()), recordLength_);
  if (put != recordLength_) return device_.errorString();
  return {};
}

}  // namespace forms
