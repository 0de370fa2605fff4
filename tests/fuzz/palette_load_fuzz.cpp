// The palette loader over any bytes (0 to 4096 of them) in the file beside
// the program, then a save: the file must hold the 25 records whole, equal to
// the input's where the input held them whole, and the input's bytes past
// the records unchanged.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "palette/palettefile.h"

namespace {

constexpr std::size_t kMaxInput = 4096;

// A broken invariant is a finding like a crash: say which, and stop.
void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "Broken: %s\n", what);
  std::abort();
}

// In memory where there is such a folder: every save syncs the disk.
QTemporaryDir& Folder() {
  static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                  ? QStringLiteral("/dev/shm/huvenor-fuzz-XXXXXX")
                                  : QDir::tempPath() + QStringLiteral("/huvenor-fuzz-XXXXXX"));
  return folder;
}

// Where a record the input did not hold whole stands in the save: the
// window's design colours would do, any fixed pair shows the same.
palette::Record Standard(int n) {
  return {0x00010101 * n, 0x00FFFFFF - n};
}

palette::Record RecordAt(const QByteArray& bytes, int n) {
  const char* at = bytes.constData() + (n - 1) * palette::kRecordLength;
  return {qFromLittleEndian<std::int32_t>(at), qFromLittleEndian<std::int32_t>(at + 4)};
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  Require(file.open(QIODevice::ReadOnly), "the saved file can be read");
  return file.readAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return -1;
  Require(Folder().isValid(), "a scratch folder exists");
  const QString beside = Folder().filePath(QStringLiteral("kelvane.cfg"));
  const QString perUser = Folder().filePath(QStringLiteral("user/kelvane.cfg"));
  const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    QFile file(beside);
    Require(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(input) == input.size(),
        "the input is written to the file");
  }

  palette::PaletteFile file(beside, perUser);
  const palette::Loaded loaded = file.Load();
  Require(loaded.problem.isEmpty(), "a readable file loads without a message");
  palette::Records records;
  for (int n = 1; n <= palette::kRecordCount; ++n) {
    const auto& record = loaded.records[n - 1];
    const bool whole = static_cast<std::size_t>(n * palette::kRecordLength) <= size;
    Require(record.has_value() == whole, "exactly the whole records load");
    Require(!whole || *record == RecordAt(input, n), "a whole record loads as its bytes");
    records[n - 1] = whole ? *record : Standard(n);
  }

  const palette::Saved saved = file.Save(records);
  Require(saved.path == beside && saved.problem.isEmpty(), "the save goes beside the program");
  const QByteArray written = ReadAll(beside);
  Require(written.size() == qMax<qsizetype>(palette::kFileSize, input.size()),
          "the file holds 200 bytes and the tail");
  for (int n = 1; n <= palette::kRecordCount; ++n)
    Require(RecordAt(written, n) == records[n - 1], "the file holds the saved records");
  Require(written.mid(palette::kFileSize) == input.mid(palette::kFileSize),
          "the bytes past the records are kept");
  Require(!QFile::exists(perUser), "nothing goes to the per-user folder");
  return 0;
}
