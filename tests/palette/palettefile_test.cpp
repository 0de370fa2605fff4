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
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

namespace palette {

void PrintTo(const Record& record, std::ostream* os) {
  *os << std::hex << "{0x" << static_cast<std::uint32_t>(record.fore) << ", 0x"
      << static_cast<std::uint32_t>(record.back) << "}";
}

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

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray GoldenBytes() {
  return ReadAll(QString::fromUtf8(PALETTE_GOLDEN_FILE));
}

QByteArray Flipped(QByteArray bytes) {
  for (char& byte : bytes) byte = static_cast<char>(~byte);
  return bytes;
}

std::string Native(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

mode_t ModeOf(const QString& path) {
  struct stat info {};
  ::stat(Native(path).c_str(), &info);
  return info.st_mode & 07777;
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

int Count(const QString& text, const QString& part) {
  return static_cast<int>(text.count(part));
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
  ASSERT_EQ(GoldenBytes().size(), kFileSize);
  const QByteArray old = Flipped(GoldenBytes()) + QByteArrayLiteral("not the palette's");
  for (const qsizetype size : {qsizetype{-1}, qsizetype{13}, qsizetype{kFileSize}, old.size()}) {
    SCOPED_TRACE(testing::Message() << "a file of " << size << " bytes (-1: none)");
    Folders folders;
    const QByteArray before = old.left(std::max<qsizetype>(size, 0));
    if (size >= 0) {
      ASSERT_TRUE(WriteFile(folders.Beside(), before));
    }
    PaletteFile file(folders.Beside(), folders.PerUser());

    const Loaded loaded = file.Load();
    for (int n = 1; n <= kRecordCount; ++n) {
      const bool whole = n * kRecordLength <= size;
      EXPECT_EQ(loaded.records[n - 1], whole ? Inverted(kGolden)[n - 1] : std::optional<Record>())
          << "record " << n;
    }
    const Saved saved = file.Save(kGolden);
    EXPECT_EQ(saved.path, folders.Beside());
    EXPECT_EQ(loaded.problem + saved.problem, QString());
    EXPECT_EQ(ReadAll(folders.Beside()), GoldenBytes() + before.mid(kFileSize));
    EXPECT_EQ(PaletteFile(folders.Beside(), folders.PerUser()).Load().records, Whole(kGolden));
    EXPECT_FALSE(QFileInfo::exists(folders.PerUser()));
  }
}

TEST(PaletteFile, SaveKeepsSymbolicLinkAndPermissions) {
  for (const bool viaLink : {false, true}) {
    SCOPED_TRACE(viaLink ? "through a relative symbolic link" : "a plain file");
    Folders folders;
    const QString target = viaLink ? folders.Path("elsewhere/kelvane.cfg") : folders.Beside();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).path()));
    ASSERT_TRUE(WriteFile(target, Flipped(GoldenBytes())));
    ASSERT_EQ(::chmod(Native(target).c_str(), 0604), 0);
    if (viaLink) {
      ASSERT_EQ(::symlink("../elsewhere/kelvane.cfg", Native(folders.Beside()).c_str()), 0);
    }

    EXPECT_EQ(PaletteFile(folders.Beside(), folders.PerUser()).Save(kGolden).path,
              folders.Beside());
    EXPECT_EQ(QFileInfo(folders.Beside()).isSymLink(), viaLink);
    EXPECT_EQ(ReadAll(target), GoldenBytes());
    EXPECT_EQ(ModeOf(target), 0604u);
  }
}

// Each copy reads from where it will write, whatever the files' dates: a
// portable copy keeps its own palette, though restored with an old date and
// though another copy of the user saved per-user since; an installed one
// keeps to the per-user file and never writes beside itself.
TEST(PaletteFile, EachCopyReadsFromWhereItWrites) {
  struct Case {
    const char* name;
    bool installed;
    bool besideFile;
    bool perUserFile;
    bool loadsBeside;  // else the per-user palette, or none when it has none
  };
  const Case cases[] = {
      {"portable, both files", false, true, true, true},
      {"installed, both files", true, true, true, false},
      {"installed, first run", true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folders folders;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folders.PerUser()).path()));
    if (c.besideFile) {
      ASSERT_TRUE(WriteFile(folders.Beside(), GoldenBytes()));
      MakeOld(folders.Beside());
    }
    if (c.perUserFile) {
      ASSERT_TRUE(WriteFile(folders.PerUser(), Flipped(GoldenBytes())));
    }
    const QString other = c.loadsBeside ? folders.PerUser() : folders.Beside();
    const QByteArray otherBefore = ReadAll(other);
    PaletteFile file(folders.Beside(), folders.PerUser(),
                     c.installed ? folders.Program() + QStringLiteral("/.") : QString());

    const Loaded loaded = file.Load();
    EXPECT_EQ(loaded.records, c.loadsBeside   ? Whole(kGolden)
                              : c.perUserFile ? Whole(Inverted(kGolden))
                                              : LoadedRecords());
    EXPECT_EQ(file.Save(kGolden).path, c.loadsBeside ? folders.Beside() : folders.PerUser());
    EXPECT_EQ(ReadAll(other), otherBefore);
    EXPECT_EQ(QDir(folders.Program()).entryList(QDir::Files | QDir::Hidden),
              c.besideFile ? QStringList{QLatin1String(kFileName)} : QStringList());
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
  EXPECT_EQ(ReadAll(folders.PerUser()), GoldenBytes());
  EXPECT_EQ(Count(saved.problem, folders.Beside()), 1) << saved.problem.toStdString();
  EXPECT_EQ(Count(saved.problem, folders.PerUser()), 1);
}

// A palette this run cannot read is reported and left alone, and the save
// goes to the per-user file, which Load falls back to when it exists. A pipe
// must not block the start.
TEST(PaletteFile, UnreadablePaletteIsReportedAndLeftAlone) {
  struct Case {
    const char* name;
    std::function<bool(const QString&)> make;
  };
  const Case cases[] = {
      {"a folder", [](const QString& path) { return QDir().mkdir(path); }},
      {"a pipe", [](const QString& path) { return ::mkfifo(Native(path).c_str(), 0666) == 0; }},
  };
  for (const Case& c : cases) {
    for (const bool perUserFile : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (perUserFile ? ", a per-user file" : ""));
      Folders folders;
      ASSERT_TRUE(c.make(folders.Beside()));
      MakeOld(folders.Beside());
      const auto before = Identity(folders.Beside());
      if (perUserFile) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(folders.PerUser()).path()));
        ASSERT_TRUE(WriteFile(folders.PerUser(), Flipped(GoldenBytes())));
      }
      PaletteFile file(folders.Beside(), folders.PerUser());

      const Loaded loaded = file.Load();
      EXPECT_EQ(Count(loaded.problem, folders.Beside()), 1) << loaded.problem.toStdString();
      EXPECT_EQ(loaded.records, perUserFile ? Whole(Inverted(kGolden)) : LoadedRecords());
      EXPECT_EQ(file.Save(kGolden).path, folders.PerUser());
      EXPECT_EQ(ReadAll(folders.PerUser()), GoldenBytes());
      EXPECT_EQ(Identity(folders.Beside()), before);
    }
  }
}

// Another program put a palette in place after Load (a restored backup, a
// synchronised folder, a second copy that slipped past the guard): it is
// copied aside before the save and the user is told.
TEST(PaletteFile, PaletteChangedAfterLoadIsNeverWrittenOverUnannounced) {
  struct Case {
    const char* name;
    bool fileAtLoad;
    std::function<void(const QString& beside)> change;
    const char* keptAs;  // null when nothing changed
  };
  const auto replace = [](const QString& beside) {
    EXPECT_TRUE(WriteFile(beside + QStringLiteral(".new"), Flipped(GoldenBytes())));
    EXPECT_EQ(::rename(Native(beside + QStringLiteral(".new")).c_str(), Native(beside).c_str()), 0);
  };
  const Case cases[] = {
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
         const auto before = Identity(beside);
         QByteArray bytes = GoldenBytes();
         bytes[0] = 1;
         EXPECT_TRUE(WriteFile(beside, bytes));
         const timespec times[2] = {{0, UTIME_OMIT}, {std::get<3>(before), std::get<4>(before)}};
         EXPECT_EQ(::utimensat(AT_FDCWD, Native(beside).c_str(), times, 0), 0);
       },
       "kelvane-replaced.cfg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folders folders;
    if (c.fileAtLoad) {
      ASSERT_TRUE(WriteFile(folders.Beside(), GoldenBytes()));
    }
    PaletteFile file(folders.Beside(), folders.PerUser());
    file.Load();
    c.change(folders.Beside());
    const QByteArray theirs = ReadAll(folders.Beside());

    const Saved saved = file.Save(Inverted(kGolden));
    EXPECT_EQ(saved.path, folders.Beside());
    EXPECT_EQ(ReadAll(folders.Beside()), Flipped(GoldenBytes()));
    if (c.keptAs == nullptr) {
      EXPECT_EQ(saved.problem, QString());
      EXPECT_EQ(QDir(folders.Program()).entryList(QDir::Files | QDir::Hidden),
                QStringList{QLatin1String(kFileName)});
      continue;
    }
    const QString kept = folders.Path("program/") + QString::fromLatin1(c.keptAs);
    EXPECT_EQ(ReadAll(kept), theirs);
    EXPECT_EQ(Count(saved.problem, folders.Beside()), 1) << saved.problem.toStdString();
    EXPECT_EQ(Count(saved.problem, kept), 1);
    // Saved once, the file is this run's own again: no second copy.
    EXPECT_EQ(file.Save(kGolden).problem, QString());
  }
}

}  // namespace
}  // namespace palette
