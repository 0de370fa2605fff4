#include "palette/palettefile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstddef>
#include <system_error>
#include <utility>

#include "forms/recordfile.h"
#include "palette/filesystem.h"

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

// Reads the file once, whole: the records it holds whole into `loaded`, and
// into `digest` what later saves judge outside changes against, so both come
// from the same bytes. Returns the reason it could not be read.
QString ReadRecords(const QString& path, Loaded& loaded, QByteArray& digest) {
  const QFileInfo info(path);
  if (!info.isFile()) return NotAFileReason(info);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  QCryptographicHash hash(QCryptographicHash::Sha256);
  QByteArray records;  // a longer file's tail counts only in the digest
  std::array<char, 16384> chunk;
  for (;;) {
    const qint64 got = file.read(chunk.data(), chunk.size());
    if (got < 0) return file.errorString();
    if (got == 0) break;
    hash.addData(QByteArrayView(chunk.data(), got));
    records.append(chunk.data(), std::min<qint64>(got, kFileSize - records.size()));
  }
  digest = hash.result();
  QBuffer buffer(&records);
  buffer.open(QIODevice::ReadOnly);
  forms::RecordFile recordFile(buffer, kRecordLength);
  for (int n = 1; n <= kRecordCount; ++n) {
    RecordBytes bytes;
    // Zeros in place of missing bytes would show black on black.
    if (recordFile.Read(n, bytes).bytesHeld == kRecordLength) loaded.records[n - 1] = Decode(bytes);
  }
  return {};
}

QByteArray Image(const Records& records) {
  QByteArray image;
  QBuffer buffer(&image);
  buffer.open(QIODevice::WriteOnly);
  forms::RecordFile recordFile(buffer, kRecordLength);
  for (int n = 1; n <= kRecordCount; ++n) recordFile.Write(n, Encode(records[n - 1]));
  return image;
}

// A new file renamed over the old one: a save that fails or is killed leaves
// the old file whole. QSaveFile syncs the new file's data before it takes
// the name, so a power cut leaves the old palette or the new one. Bytes past the last record belong
// to whoever put them there and are carried over. `digest` gets the hash of
// every byte written, so that what this run wrote is known without reading
// the file again, when another program may already have changed it.
QString ReplaceFile(const QString& path, const QByteArray& image, QByteArray& digest) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(image) != image.size()) return file.errorString();
  hash.addData(image);
  QFile old(path);
  if (old.size() > kFileSize) {
    if (!old.open(QIODevice::ReadOnly) || !old.seek(kFileSize)) return old.errorString();
    char chunk[64 * 1024];
    qint64 got = 0;
    while ((got = old.read(chunk, sizeof chunk)) > 0) {
      if (file.write(chunk, got) != got) return file.errorString();
      hash.addData(QByteArrayView(chunk, got));
    }
    if (got < 0) return old.errorString();
  }
  // commit() does not see a failure of the write that its own close makes,
  // and would rename an empty file over the palette; the flush is checked first.
  if (!file.flush() || !file.commit()) return file.errorString();
  digest = hash.result();
  return {};
}

// `digest` gets the hash of the whole file as written; it stays empty where
// the file was rewritten in place, whose tail this run did not read.
QString WriteRecords(const QString& path, const Records& records, QByteArray& digest) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return NotAFileReason(info);
  if (QString why = fs::MakeFolderFor(path); !why.isEmpty()) return why;
  const QByteArray image = Image(records);
  const QString why = ReplaceFile(path, image, digest);
  if (why.isEmpty() || !info.isFile()) return why;
  // Where the folder takes no new file, or the disk has no room for one, the
  // file itself can still take the records. One write of the whole image at
  // the start, without truncating first, leaves either the old records or the
  // new ones, never an empty file, when the program is killed on the way; the
  // bytes past the records stay where they are.
  return fs::RewriteInPlace(path, image);
}

// Copies a palette that someone else put at `path` to a free name beside it.
// Whatever is not a file is left where it is; reading a pipe would hang.
QString KeepAside(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile()) return {};
  const QString stem = info.dir().filePath(info.completeBaseName() + QStringLiteral("-replaced"));
  const QString suffix = u'.' + info.suffix();
  for (int n = 1; n <= 99; ++n) {
    const QString aside =
        n == 1 ? stem + suffix : QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
    if (QFileInfo::exists(aside)) continue;
    return QFile::copy(path, aside) ? aside : QString();
  }
  return {};
}

bool SameFolder(const QString& a, const QString& b) {
  const QString canonical = QFileInfo(a).canonicalFilePath();
  return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString PerUserPath() {
  return fs::PerUserPath();
}

PaletteFile::PaletteFile(QString besideProgram, QString perUser, QString installedBin)
    : beside_(std::move(besideProgram)),
      perUser_(std::move(perUser)),
      installedBin_(std::move(installedBin)) {}

PaletteFile::Seen PaletteFile::StateOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  Seen seen{true, {}};
  QFile file(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (info.isFile() && file.open(QIODevice::ReadOnly) && hash.addData(&file))
    seen.digest = hash.result();
  return seen;
}

// Reads the file at the place when there is one; one that cannot be read is
// reported and never written by this run.
void PaletteFile::ReadInto(Place& place, Loaded& loaded, QStringList& problems) {
  place.seen = Seen{QFileInfo::exists(place.path), {}};
  if (!place.seen->exists) return;
  if (const QString reason = ReadRecords(place.path, loaded, place.seen->digest);
      !reason.isEmpty()) {
    place.unreadable = true;
    loaded.records = {};
    problems << QStringLiteral(
                    "The palette file %1 could not be read (%2), so it is left as it is.")
                    .arg(Shown(place.path), reason);
  }
}

void PaletteFile::Settle(Loaded* loaded, QStringList& problems) {
  std::vector<Place>& places = places_.emplace();
  // Load looks at each place; a save without a load judges nothing.
  const std::optional<Seen> unseen = loaded ? std::optional<Seen>(Seen{}) : std::nullopt;
  const bool installed =
      !installedBin_.isEmpty() && SameFolder(QFileInfo(beside_).absolutePath(), installedBin_);
  Place own{beside_, false, unseen};
  Loaded ownRecords;
  if (!installed && loaded) ReadInto(own, ownRecords, problems);
  if (!installed && !own.unreadable && fs::TakesSave(beside_)) {
    places = {own, Place{perUser_, false, unseen}};
    if (loaded) loaded->records = ownRecords.records;
    return;
  }
  Place& home = places.emplace_back(Place{perUser_, false, unseen});
  if (!loaded) return;
  ReadInto(home, *loaded, problems);
  // Until there is a per-user file, a portable copy starts from its own.
  if (!home.seen->exists && !installed) loaded->records = ownRecords.records;
}

Loaded PaletteFile::Load() {
  Loaded loaded;
  QStringList problems;
  Settle(&loaded, problems);
  loaded.problem = problems.join(u' ');
  return loaded;
}

Saved PaletteFile::Save(const Records& records) {
  if (!places_) {
    QStringList none;
    Settle(nullptr, none);
  }
  QStringList failures;
  // Told even when the palette was saved: a palette someone else put in
  // place while this run went on is never written over unannounced.
  QStringList notes;
  for (Place& place : *places_) {
    if (place.path.isEmpty()) continue;
    QString reason;
    const Seen now = StateOf(place.path);
    if (place.unreadable) {
      reason = QStringLiteral("left as it is, since it could not be read at start");
    } else if (place.seen && now.exists && now != *place.seen) {
      if (const QString aside = KeepAside(place.path); !aside.isEmpty()) {
        notes << QStringLiteral(
                     "The palette file %1 was changed by another program while Huvenor ran; "
                     "that palette is kept as %2.")
                     .arg(Shown(place.path), Shown(aside));
      } else {
        reason =
            QStringLiteral("left as it is, since another program changed it while Huvenor ran");
        notes << QStringLiteral(
                     "The palette file %1 was changed by another program while Huvenor ran, "
                     "so it is left as it is.")
                     .arg(Shown(place.path));
      }
    }
    QByteArray written;
    if (reason.isEmpty()) reason = WriteRecords(place.path, records, written);
    if (reason.isEmpty()) {
      // What the next save judges outside changes against: this write.
      place.seen = written.isEmpty() ? StateOf(place.path) : Seen{true, written};
      // The next start may not look there: the user is told where it went.
      if (!failures.isEmpty() && notes.isEmpty()) {
        notes << QStringLiteral("The palette could not be saved to %1, so it was saved to %2.")
                     .arg(failures.join(QStringLiteral(" or to ")), Shown(place.path));
      } else if (!failures.isEmpty()) {
        notes << QStringLiteral("This palette was saved to %1.").arg(Shown(place.path));
      }
      return {place.path, notes.join(u' ')};
    }
    failures << QStringLiteral("%1 (%2)").arg(Shown(place.path), reason);
  }
  notes << QStringLiteral("The palette could not be saved to %1.")
               .arg(failures.join(QStringLiteral(" or to ")));
  return {{}, notes.join(u' ')};
}

}  // namespace palette
