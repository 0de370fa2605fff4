// Palette file load and save on real files in temporary folders. Faults that
// need another user or a full disk are run on the real program by the fault
// matrix (tests/faults).
#include "palette/palettefile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

namespace palette {

namespace {

constexpr Record Words(std::uint32_t fore, std::uint32_t back) {
  return {static_cast<std::int32_t>(fore), static_cast<std::int32_t>(back)};
}

// The records of golden/palette.cfg: swatch colours, then words that show the
// byte order, negative words and system-colour references, all different so
// that a swapped record or field shows.
constexpr Records kGolden = {
    Words(0x00000000, 0x00C0C0C0), Words(0x00FFFFFF, 0x00004080), Words(0x00FFFFFF, 0x00C000C0),
    Words(0x00FFFFFF, 0x00C00000), Words(0x00000000, 0x00008000), Words(0x00000000, 0x0000FFFF),
    Words(0x00FFFFFF, 0x000080FF), Words(0x00FFFFFF, 0x000000FF), Words(0x00FFFFFF, 0x008080FF),
    Words(0x00FFFFFF, 0x00FF8080), Words(0x00000000, 0x00C0E0FF), Words(0x00000000, 0x00808000),
    Words(0x01020304, 0x05060708), Words(0xFFFFFFFF, 0x80000000), Words(0x7FFFFFFF, 0x80000001),
    Words(0x80000008, 0x80000005), Words(0x12345678, 0x9ABCDEF0), Words(0x00112233, 0x00445566),
    Words(0x00778899, 0x00AABBCC), Words(0x00DDEEFF, 0x00102030), Words(0x00405060, 0x00708090),
    Words(0x00A0B0C0, 0x00D0E0F0), Words(0x00010101, 0x00020202), Words(0x00FEFEFE, 0x00FDFDFD),
    Words(0x80000008, 0x80000005)};

using LoadedRecords = decltype(Loaded::records);

// The records of a file holding the golden bytes inverted: another palette
// whose bytes need no encoder of the test's own.
Records Inverted(const Records& records) {
  Records inverted;
  for (int i = 0; i < kRecordCount; ++i) inverted[i] = {~records[i].fore, ~records[i].back};
  return inverted;
}

LoadedRecords Whole(const Records& records) {
  LoadedRecords loaded;
  for (int i = 0; i < kRecordCount; ++i) loaded[i] = records[i];
  return loaded;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` as the file at `path`, making its folder if need be.
bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
         file.write(bytes) == bytes.size() && file.flush();
}

const QByteArray kGoldenBytes = ReadAll(QString::fromUtf8(PALETTE_GOLDEN_FILE));
// The golden bytes inverted: the file of Inverted(kGolden).
const QByteArray kOtherBytes = [] {
  QByteArray bytes = kGoldenBytes;
  for (char& byte : bytes) byte = static_cast<char>(~byte);
  return bytes;
}();

std::string Native(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// Long ago, as a palette left by an earlier run would be.
void MakeOld(const QString& path) {
  const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
  EXPECT_EQ(::utimensat(AT_FDCWD, Native(path).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// What a write or a replacement by rename would change.
auto Identity(const QString& path) {
  struct stat info {};
  ::lstat(Native(path).c_str(), &info);
  return std::tuple(info.st_ino, info.st_mode, info.st_size, info.st_mtim.tv_sec,
                    info.st_mtim.tv_nsec);
}

// A program folder and a user folder; the per-user file's own folder does not
// exist yet.
struct Folders {
  Folders() { EXPECT_TRUE(QDir().mkpath(Program())); }
  QString Path(const char* relative) const { return root.filePath(QString::fromUtf8(relative)); }
  QString Program() const { return Path("program"); }
  QString Beside() const { return Path("program/kelvane.cfg"); }
  QString PerUser() const { return Path("user/config/kelvane.cfg"); }

  QTemporaryDir root;
};

// Only whole records load, so a short file's missing bytes never show as
// black; the save writes the 25 records and keeps whatever lies past them,
// and the next start loads them.
TEST(PaletteFile, LoadsWholeRecordsAndSavesThemInPlace) {
  ASSERT_EQ(kGoldenBytes.size(), kFileSize);
  const QByteArray old = kOtherBytes + QByteArrayLiteral("not the palette's");
  for (const qsizetype size : {qsizetype{-1}, qsizetype{13}, qsizetype{kFileSize}, old.size()}) {
    SCOPED_TRACE(testing::Message() << "a file of " << size << " bytes (-1: none)");
    Folders folders;
    const QByteArray before = old.left(std::max<qsizetype>(size, 0));
    ASSERT_TRUE(size < 0 || WriteFile(folders.Beside(), before));
    PaletteFile file(folders.Beside(), folders.PerUser());

    LoadedRecords whole;  // the records the file holds whole
    for (int n = 1; n <= kRecordCount && n * kRecordLength <= size; ++n)
      whole[n - 1] = Inverted(kGolden)[n - 1];
    const Loaded loaded = file.Load();
    EXPECT_EQ(loaded.records, whole);
    const Saved saved = file.Save(kGolden);
    EXPECT_EQ(saved.path, folders.Beside());
    EXPECT_EQ(loaded.problem + saved.problem, QString());
    EXPECT_EQ(ReadAll(folders.Beside()), kGoldenBytes + before.mid(kFileSize));
    EXPECT_EQ(PaletteFile(folders.Beside(), folders.PerUser()).Load().records, Whole(kGolden));
    EXPECT_FALSE(QFileInfo::exists(folders.PerUser()));
  }
}

TEST(PaletteFile, SaveKeepsSymbolicLinkAndPermissions) {
  for (const bool viaLink : {false, true}) {
    SCOPED_TRACE(viaLink ? "through a relative symbolic link" : "a plain file");
    Folders folders;
    const QString target = viaLink ? folders.Path("elsewhere/kelvane.cfg") : folders.Beside();
    ASSERT_TRUE(WriteFile(target, kOtherBytes));
    ASSERT_EQ(::chmod(Native(target).c_str(), 0604), 0);
    ASSERT_TRUE(!viaLink ||
                ::symlink("../elsewhere/kelvane.cfg", Native(folders.Beside()).c_str()) == 0);

    EXPECT_EQ(PaletteFile(folders.Beside(), folders.PerUser()).Save(kGolden).path,
              folders.Beside());
    EXPECT_EQ(QFileInfo(folders.Beside()).isSymLink(), viaLink);
    EXPECT_EQ(ReadAll(target), kGoldenBytes);
    struct stat info {};
    ASSERT_EQ(::stat(Native(target).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
  }
}

// Each copy reads from where it will write, whatever the files' dates: a
// portable copy keeps its own palette, though restored with an old date and
// though another copy of the user saved per-user since; an installed one
// keeps to the per-user file and never writes beside itself.
TEST(PaletteFile, EachCopyReadsFromWhereItWrites) {
  // Installed or not, a file beside it, a per-user file, and whether the
  // palette beside it is the one loaded (else the per-user one, if any).
  const std::tuple<const char*, bool, bool, bool, bool> cases[] = {
      {"portable, both files", false, true, true, true},
      {"installed, both files", true, true, true, false},
      {"installed, first run", true, false, false, false},
  };
  for (const auto& [name, installed, besideFile, perUserFile, loadsBeside] : cases) {
    SCOPED_TRACE(name);
    Folders folders;
    ASSERT_TRUE(!besideFile || WriteFile(folders.Beside(), kGoldenBytes));
    if (besideFile) MakeOld(folders.Beside());
    ASSERT_TRUE(!perUserFile || WriteFile(folders.PerUser(), kOtherBytes));
    const QString other = loadsBeside ? folders.PerUser() : folders.Beside();
    const QByteArray otherBefore = ReadAll(other);
    PaletteFile file(folders.Beside(), folders.PerUser(),
                     installed ? folders.Program() + QStringLiteral("/.") : QString());

    EXPECT_EQ(file.Load().records, loadsBeside   ? Whole(kGolden)
                                   : perUserFile ? Whole(Inverted(kGolden))
                                                 : LoadedRecords());
    EXPECT_EQ(file.Save(kGolden).path, loadsBeside ? folders.Beside() : folders.PerUser());
    EXPECT_EQ(ReadAll(other), otherBefore);
    EXPECT_EQ(QDir(folders.Program()).entryList(QDir::Files | QDir::Hidden),
              besideFile ? QStringList{QLatin1String(kFileName)} : QStringList());
  }
}

// A save that cannot go to this run's home goes to the per-user file, and
// the user is told where, since the next start may not look there.
TEST(PaletteFile, SaveThatFailsAtHomeGoesPerUserAndSaysWhere) {
  Folders folders;
  PaletteFile file(folders.Beside(), folders.PerUser());
  file.Load();
  ASSERT_TRUE(QDir(folders.Program()).removeRecursively());
  ASSERT_TRUE(WriteFile(folders.Program(), {}));  // a file where the folder was

  const Saved saved = file.Save(kGolden);
  EXPECT_EQ(saved.path, folders.PerUser());
  EXPECT_EQ(ReadAll(folders.PerUser()), kGoldenBytes);
  EXPECT_EQ(saved.problem.count(folders.Beside()), 1) << saved.problem.toStdString();
  EXPECT_EQ(saved.problem.count(folders.PerUser()), 1);
}

// A palette this run cannot read is reported and left alone, and the save
// goes to the per-user file, which Load falls back to when it exists. A pipe
// must not block the start.
TEST(PaletteFile, UnreadablePaletteIsReportedAndLeftAlone) {
  const std::pair<const char*, std::function<bool(const QString&)>> makers[] = {
      {"a folder", [](const QString& path) { return QDir().mkdir(path); }},
      {"a pipe", [](const QString& path) { return ::mkfifo(Native(path).c_str(), 0666) == 0; }},
  };
  for (const auto& [name, make] : makers) {
    for (const bool perUserFile : {false, true}) {
      SCOPED_TRACE(testing::Message() << name << (perUserFile ? ", a per-user file" : ""));
      Folders folders;
      ASSERT_TRUE(make(folders.Beside()));
      MakeOld(folders.Beside());
      const auto before = Identity(folders.Beside());
      ASSERT_TRUE(!perUserFile || WriteFile(folders.PerUser(), kOtherBytes));
      PaletteFile file(folders.Beside(), folders.PerUser());

      const Loaded loaded = file.Load();
      EXPECT_EQ(loaded.problem.count(folders.Beside()), 1) << loaded.problem.toStdString();
      EXPECT_EQ(loaded.records, perUserFile ? Whole(Inverted(kGolden)) : LoadedRecords());
      EXPECT_EQ(file.Save(kGolden).path, folders.PerUser());
      EXPECT_EQ(ReadAll(folders.PerUser()), kGoldenBytes);
      EXPECT_EQ(Identity(folders.Beside()), before);
    }
  }
}

// Another program put a palette in place after Load (a restored backup, a
// synchronised folder, a second copy that slipped past the guard): it is
// copied aside before the save and the user is told.
TEST(PaletteFile, PaletteChangedAfterLoadIsNeverWrittenOverUnannounced) {
  const auto replace = [](const QString& beside) {
    EXPECT_TRUE(WriteFile(beside + QStringLiteral(".new"), kOtherBytes));
    EXPECT_EQ(::rename(Native(beside + QStringLiteral(".new")).c_str(), Native(beside).c_str()), 0);
  };
  // A file at the load, the change, and the name it is kept aside as (null
  // when nothing changed).
  const std::tuple<const char*, bool, std::function<void(const QString& beside)>, const char*>
      cases[] = {
          {"only its date changed", true, [](const QString& beside) { MakeOld(beside); }, nullptr},
          {"replaced by another palette", true, replace, "kelvane-replaced.cfg"},
          {"created after the load", false, replace, "kelvane-replaced.cfg"},
          {"an earlier copy is in the way", true,
           [&](const QString& beside) {
             replace(beside);
             EXPECT_TRUE(WriteFile(
                 QFileInfo(beside).dir().filePath(QStringLiteral("kelvane-replaced.cfg")), {}));
           },
           "kelvane-replaced-2.cfg"},
          {"rewritten with its size and time kept", true,
           [](const QString& beside) {
             const auto time = std::filesystem::last_write_time(Native(beside));
             EXPECT_TRUE(WriteFile(beside, QByteArray(kGoldenBytes).replace(0, 1, "\1")));
             std::filesystem::last_write_time(Native(beside), time);
           },
           "kelvane-replaced.cfg"},
      };
  for (const auto& [name, fileAtLoad, change, keptAs] : cases) {
    SCOPED_TRACE(name);
    Folders folders;
    ASSERT_TRUE(!fileAtLoad || WriteFile(folders.Beside(), kGoldenBytes));
    PaletteFile file(folders.Beside(), folders.PerUser());
    file.Load();
    change(folders.Beside());
    const QByteArray theirs = ReadAll(folders.Beside());

    const Saved saved = file.Save(Inverted(kGolden));
    EXPECT_EQ(saved.path, folders.Beside());
    EXPECT_EQ(ReadAll(folders.Beside()), kOtherBytes);
    if (keptAs == nullptr) {
      EXPECT_EQ(saved.problem, QString());
      EXPECT_EQ(QDir(folders.Program()).entryList(QDir::Files | QDir::Hidden),
                QStringList{QLatin1String(kFileName)});
      continue;
    }
    const QString kept = folders.Path("program/") + QString::fromLatin1(keptAs);
    EXPECT_EQ(ReadAll(kept), theirs);
    EXPECT_EQ(saved.problem.count(folders.Beside()), 1) << saved.problem.toStdString();
    EXPECT_EQ(saved.problem.count(kept), 1);
    // Saved once, the file is this run's own again: no second copy.
    EXPECT_EQ(file.Save(kGolden).problem, QString());
  }
}

}  // namespace
}  // namespace palette
