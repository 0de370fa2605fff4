#include "palette/palettefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QtEndian>
#include <cstddef>
#include <filesystem>
#include <system_error>
#include <utility>

#include "forms/recordfile.h"

namespace palette {
namespace {

using RecordBytes = std::array<std::byte, kRecordLength>;

RecordBytes Encode(const Record& record) {
  RecordBytes bytes;
  qToLittleEndian(record.fore, bytes.data());
  qToLittleEndian(record.back, bytes.data() + 4);
  return bytes;
}

Record Decode(const RecordBytes& bytes) {
  return {qFromLittleEndian<std::int32_t>(bytes.data()),
          qFromLittleEndian<std::int32_t>(bytes.data() + 4)};
}

QString Shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// Opening a folder fails anyway, but a pipe or device would block the start
// or, renamed over by a save, be replaced.
QString NotAFileReason(const QFileInfo& info) {
  if (info.isDir())
    return QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message());
  return QStringLiteral("Not a regular file");
}

// Fills the records the file holds whole; returns the reason it could not be read.
QString ReadRecords(const QString& path, Loaded& loaded) {
  const QFileInfo info(path);
  if (!info.isFile()) return NotAFileReason(info);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  forms::RecordFile recordFile(file, kRecordLength);
  for (int n = 1; n <= kRecordCount; ++n) {
    RecordBytes bytes;
    const forms::RecordRead read = recordFile.Read(n, bytes);
    if (!read.error.isEmpty()) return read.error;
    // Zeros in place of missing bytes would show black on black.
    if (read.bytesHeld == kRecordLength) loaded.records[n - 1] = Decode(bytes);
  }
  return {};
}

// Bytes past the last record belong to whoever put them there; they are
// read before the save because a direct write starts from an empty file.
QString ReadTail(const QString& path, QByteArray& tail) {
  if (QFileInfo(path).size() <= kFileSize) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || !file.seek(kFileSize)) return file.errorString();
  tail = file.readAll();
  return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

QString MakeFolder(const QString& path) {
  std::error_code error;
  std::filesystem::create_directories(
      QFile::encodeName(QFileInfo(path).absolutePath()).toStdString(), error);
  return error ? QString::fromLocal8Bit(error.message()) : QString();
}

QString WriteRecords(const QString& path, const Records& records) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return NotAFileReason(info);
  QByteArray tail;
  if (QString why = MakeFolder(path); !why.isEmpty()) return why;
  if (QString why = ReadTail(path, tail); !why.isEmpty()) return why;

  QSaveFile file(path);
  // A program folder that takes no new files may still hold a palette file
  // the user can write; better rewritten in place than not saved at all.
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  forms::RecordFile recordFile(file, kRecordLength);
  for (int n = 1; n <= kRecordCount; ++n) {
    if (QString why = recordFile.Write(n, Encode(records[n - 1])); !why.isEmpty()) return why;
  }
  if (file.write(tail) != tail.size()) return file.errorString();
  // In place, commit() reports no failed write, so the flush is checked too.
  if (!file.flush() || !file.commit()) return file.errorString();
  return {};
}

QDateTime LastModified(const QString& path) {
  return QFileInfo(path).lastModified();
}

}  // namespace

QString PerUserPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  // An unknown location must not turn into a file at the root of the disk.
  if (folder.isEmpty()) return {};
  return folder + u'/' + QLatin1String(kFileName);
}

PaletteFile::PaletteFile(QString besideProgram, QString perUser)
    : places_{Place{std::move(besideProgram)}, Place{std::move(perUser)}} {}

Loaded PaletteFile::Load() {
  Loaded newest;
  QDateTime newestTime;
  QStringList problems;
  // Every existing file is read, not just the newest, so that each one that
  // cannot be read is known and spared by the save.
  for (Place& place : places_) {
    if (!QFileInfo::exists(place.path)) continue;
    Loaded loaded;
    if (const QString reason = ReadRecords(place.path, loaded); !reason.isEmpty()) {
      place.unreadable = true;
      problems << QStringLiteral(
                      "The palette file %1 could not be read (%2), so it is left as it is.")
                      .arg(Shown(place.path), reason);
    } else if (const QDateTime time = LastModified(place.path);
               newestTime.isNull() || time > newestTime) {
      newest = loaded;
      newestTime = time;
    }
  }
  newest.problem = problems.join(u' ');
  return newest;
}

Saved PaletteFile::Save(const Records& records) {
  QStringList failures;
  for (const Place& place : places_) {
    if (place.path.isEmpty()) continue;
    const QString reason =
        place.unreadable ? QStringLiteral("left as it is, since it could not be read at start")
                         : WriteRecords(place.path, records);
    if (reason.isEmpty()) return {place.path, {}};
    failures << QStringLiteral("%1 (%2)").arg(Shown(place.path), reason);
  }
  return {{},
          QStringLiteral("The palette could not be saved to %1.")
              .arg(failures.join(QStringLiteral(" or to ")))};
}

}  // namespace palette
