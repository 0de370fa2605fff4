// Palette file load and save on real files in temporary folders. The cases
// about permissions and full disks run in a forked child, which drops root
// (root passes every permission check) or mounts a tiny disk in namespaces
// of its own, so this process and the machine stay as they were.
#include "palette/palettefile.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
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

void Mode(const QString& path, mode_t mode) {
  EXPECT_EQ(::chmod(Native(path).c_str(), mode), 0) << path.toStdString();
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

// A program folder and a user folder that an unprivileged child can reach
// and write to; the per-user file's own folder does not exist yet.
struct Folders {
  Folders() {
    Mode(root.path(), 0755);
    for (const QString& folder : {Program(), User()}) {
      EXPECT_TRUE(QDir().mkpath(folder));
      Mode(folder, 0777);
    }
  }
  // Lets a user without root clean up a folder a test made read-only.
  ~Folders() {
    for (const QString& folder : {Program(), User()}) ::chmod(Native(folder).c_str(), 0755);
  }
  QString Path(const char* relative) const { return root.filePath(QString::fromUtf8(relative)); }
  QString Program() const { return Path("program"); }
  QString User() const { return Path("user"); }
  QString Beside() const { return Path("program/kelvane.cfg"); }
  QString PerUser() const { return Path("user/config/kelvane.cfg"); }

  QTemporaryDir root;
};

constexpr int kSkipped = 77;

// Runs `body` in a forked child and returns 0 when it passed, 1 when a check
// failed (the child prints its failures), kSkipped (it prints why), or 128
// plus the signal that ended it. A child stuck on a blocking open is ended
// by its alarm.
int RunInChild(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(10);
    body();
    std::fflush(nullptr);
    ::_exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

[[noreturn]] void SkipChild(const std::string& reason) {
  std::printf("Skipped: %s\n", reason.c_str());
  std::fflush(nullptr);
  ::_exit(kSkipped);
}

constexpr uid_t kNobody = 65534;

void DropRoot() {
  if (::geteuid() != 0) return;
  ASSERT_EQ(::setgroups(0, nullptr), 0);
  ASSERT_EQ(::setgid(kNobody), 0);
  ASSERT_EQ(::setuid(kNobody), 0);
}

void WriteProc(const char* path, const std::string& text) {
  QFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), text.size()) < 0)
    SkipChild(std::string("cannot write ") + path);
}

// A disk of a few pages at `folder`. The child's own user and mount
// namespaces let it mount without privilege and take the disk away with it.
void MountTinyDisk(const QString& folder) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) SkipChild("no user and mount namespaces");
  WriteProc("/proc/self/setgroups", "deny");
  WriteProc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
  WriteProc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", Native(folder).c_str(), "tmpfs", 0, "size=16k") != 0)
    SkipChild("cannot mount a tmpfs");
}

void FillDisk(const QString& path) {
  QFile filler(path);
  ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  const QByteArray page(4096, 'x');
  while (filler.write(page) > 0) {
  }
}

TEST(PaletteFile, SavesGoldenBytesAndNextStartLoadsThem) {
  Folders folders;
  const Saved saved = PaletteFile(folders.Beside(), folders.PerUser()).Save(kGolden);
  EXPECT_EQ(saved.path, folders.Beside());
  EXPECT_EQ(saved.problem, QString());
  ASSERT_EQ(GoldenBytes().size(), kFileSize);
  EXPECT_EQ(ReadAll(folders.Beside()), GoldenBytes());

  const Loaded loaded = PaletteFile(folders.Beside(), folders.PerUser()).Load();
  EXPECT_EQ(loaded.records, Whole(kGolden));
  EXPECT_EQ(loaded.problem, QString());
  EXPECT_FALSE(QFileInfo::exists(folders.PerUser()));
}

// Only whole records load, so a short file's missing bytes never show as
// black; the save writes all 25 records and keeps whatever lies past them.
void ExpectRecordsWrittenInPlace(const QString& beside, const QString& perUser) {
  const QByteArray old = Flipped(GoldenBytes()) + QByteArrayLiteral("not the palette's");
  for (const qsizetype size : {qsizetype{13}, qsizetype{100}, qsizetype{kFileSize}, old.size()}) {
    SCOPED_TRACE(testing::Message() << "a file of " << size << " bytes");
    const QByteArray before = old.left(size);
    ASSERT_TRUE(WriteFile(beside, before));
    PaletteFile file(beside, perUser);

    const Loaded loaded = file.Load();
    for (int n = 1; n <= kRecordCount; ++n) {
      const bool whole = n * kRecordLength <= size;
      EXPECT_EQ(loaded.records[n - 1], whole ? Inverted(kGolden)[n - 1] : std::optional<Record>())
          << "record " << n;
    }
    EXPECT_EQ(file.Save(kGolden).path, beside);
    EXPECT_EQ(ReadAll(beside), GoldenBytes() + before.mid(kFileSize));
  }
}

TEST(PaletteFile, WritesRecordsInPlace) {
  Folders folders;
  ExpectRecordsWrittenInPlace(folders.Beside(), folders.PerUser());
}

// No temporary file can go there, so the file itself is rewritten; the
// direct write starts from an empty file and must still keep the tail.
TEST(PaletteFile, WritesRecordsInPlaceWhereTheFolderTakesNoNewFile) {
  Folders folders;
  ASSERT_TRUE(WriteFile(folders.Beside(), {}));
  Mode(folders.Beside(), 0666);
  Mode(folders.Program(), 0555);
  EXPECT_EQ(RunInChild([&] {
              ASSERT_NO_FATAL_FAILURE(DropRoot());
              ExpectRecordsWrittenInPlace(folders.Beside(), folders.PerUser());
            }),
            0);
}

TEST(PaletteFile, SaveKeepsSymbolicLinkAndPermissions) {
  for (const bool viaLink : {false, true}) {
    SCOPED_TRACE(viaLink ? "through a relative symbolic link" : "a plain file");
    Folders folders;
    const QString target = viaLink ? folders.Path("elsewhere/kelvane.cfg") : folders.Beside();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).path()));
    ASSERT_TRUE(WriteFile(target, Flipped(GoldenBytes())));
    Mode(target, 0604);
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

// The program folder is read-only: the palette goes to the per-user folder,
// and the next start finds it there even past an older file beside the
// program. With the user folder read-only too, the message says why for each.
TEST(PaletteFile, ReadOnlyProgramFolderSavesPerUser) {
  struct Case {
    const char* name;
    bool oldFileBeside;
    bool userFolderWritable;
  };
  for (const Case& c : {Case{"no file yet", false, true}, Case{"an older file", true, true},
                        Case{"no place at all", false, false}}) {
    SCOPED_TRACE(c.name);
    Folders folders;
    if (c.oldFileBeside) {
      ASSERT_TRUE(WriteFile(folders.Beside(), Flipped(GoldenBytes())));
      Mode(folders.Beside(), 0444);
      MakeOld(folders.Beside());
    }
    Mode(folders.Program(), 0555);
    if (!c.userFolderWritable) Mode(folders.User(), 0555);

    EXPECT_EQ(RunInChild([&] {
                ASSERT_NO_FATAL_FAILURE(DropRoot());
                const Saved saved = PaletteFile(folders.Beside(), folders.PerUser()).Save(kGolden);
                if (!c.userFolderWritable) {
                  EXPECT_EQ(saved.path, QString());
                  EXPECT_EQ(Count(saved.problem, folders.Beside()), 1)
                      << saved.problem.toStdString();
                  EXPECT_EQ(Count(saved.problem, folders.PerUser()), 1);
                  EXPECT_EQ(Count(saved.problem, QStringLiteral("Permission denied")), 2);
                  return;
                }
                EXPECT_EQ(saved.path, folders.PerUser());
                EXPECT_EQ(saved.problem, QString());
                const Loaded next = PaletteFile(folders.Beside(), folders.PerUser()).Load();
                EXPECT_EQ(next.records, Whole(kGolden));
                EXPECT_EQ(next.problem, QString());
              }),
              0);
  }
}

// A palette this run cannot see is reported and left alone, and the save
// goes to the per-user file, which Load falls back to when it exists.
TEST(PaletteFile, UnreadablePaletteIsReportedAndLeftAlone) {
  struct Case {
    const char* name;
    std::function<void(const QString&)> make;
  };
  const Case cases[] = {
      {"a folder", [](const QString& path) { EXPECT_TRUE(QDir().mkdir(path)); }},
      {"a pipe", [](const QString& path) { EXPECT_EQ(::mkfifo(Native(path).c_str(), 0666), 0); }},
      {"a file without read permission",
       [](const QString& path) {
         EXPECT_TRUE(WriteFile(path, Flipped(GoldenBytes())));
         Mode(path, 0200);
       }},
  };
  for (const Case& c : cases) {
    for (const bool perUserFile : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (perUserFile ? ", a per-user file" : ""));
      Folders folders;
      EXPECT_EQ(
          RunInChild([&] {
            ASSERT_NO_FATAL_FAILURE(DropRoot());
            c.make(folders.Beside());
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
          }),
          0);
    }
  }
}

// Another program put a palette in place after Load (a restored backup, a
// synchronised folder, a second copy that slipped past the guard): it is
// copied aside before the save, or, where no copy can be made, left alone
// while the palette goes to the per-user file. The user is told either way.
TEST(PaletteFile, PaletteChangedAfterLoadIsNeverWrittenOverUnannounced) {
  struct Case {
    const char* name;
    bool fileAtLoad;
    std::function<void(const QString& beside)> change;
    bool readOnlyFolder;
    const char* keptAs;  // empty when the file is left alone
  };
  const auto replace = [](const QString& beside) {
    EXPECT_TRUE(WriteFile(beside + QStringLiteral(".new"), Flipped(GoldenBytes())));
    EXPECT_EQ(::rename(Native(beside + QStringLiteral(".new")).c_str(), Native(beside).c_str()), 0);
  };
  const Case cases[] = {
      {"nothing changed", true, [](const QString&) {}, false, nullptr},
      {"replaced by another palette", true, replace, false, "kelvane-replaced.cfg"},
      {"created after the load", false, replace, false, "kelvane-replaced.cfg"},
      {"an earlier copy is in the way", true,
       [&](const QString& beside) {
         replace(beside);
         EXPECT_TRUE(WriteFile(
             QFileInfo(beside).dir().filePath(QStringLiteral("kelvane-replaced.cfg")), {}));
       },
       false, "kelvane-replaced-2.cfg"},
      {"rewritten with its size and time kept", true,
       [](const QString& beside) {
         const auto before = Identity(beside);
         QByteArray bytes = GoldenBytes();
         bytes[0] = 1;
         EXPECT_TRUE(WriteFile(beside, bytes));
         const timespec times[2] = {{0, UTIME_OMIT}, {std::get<3>(before), std::get<4>(before)}};
         EXPECT_EQ(::utimensat(AT_FDCWD, Native(beside).c_str(), times, 0), 0);
       },
       false, "kelvane-replaced.cfg"},
      {"replaced by a pipe", true,
       [](const QString& beside) {
         EXPECT_TRUE(QFile::remove(beside));
         EXPECT_EQ(::mkfifo(Native(beside).c_str(), 0666), 0);
       },
       false, ""},
      {"rewritten in a folder that takes no copy", true,
       [](const QString& beside) { EXPECT_TRUE(WriteFile(beside, Flipped(GoldenBytes()))); }, true,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folders folders;
    if (c.fileAtLoad) {
      ASSERT_TRUE(WriteFile(folders.Beside(), GoldenBytes()));
      Mode(folders.Beside(), 0666);
      // Only its owner may set the file's times.
      ASSERT_TRUE(::geteuid() != 0 ||
                  ::chown(Native(folders.Beside()).c_str(), kNobody, kNobody) == 0);
    }
    if (c.readOnlyFolder) Mode(folders.Program(), 0555);
    EXPECT_EQ(RunInChild([&] {
                ASSERT_NO_FATAL_FAILURE(DropRoot());
                PaletteFile file(folders.Beside(), folders.PerUser());
                file.Load();
                c.change(folders.Beside());
                const bool isFile = QFileInfo(folders.Beside()).isFile();
                const QByteArray theirs = isFile ? ReadAll(folders.Beside()) : QByteArray();
                const auto before = Identity(folders.Beside());

                const Saved saved = file.Save(Inverted(kGolden));
                if (c.keptAs == nullptr) {
                  EXPECT_EQ(saved.path, folders.Beside());
                  EXPECT_EQ(saved.problem, QString());
                  EXPECT_EQ(QDir(folders.Program()).entryList(QDir::Files | QDir::Hidden),
                            QStringList{QLatin1String(kFileName)});
                  return;
                }
                EXPECT_EQ(Count(saved.problem, folders.Beside()), 1) << saved.problem.toStdString();
                if (*c.keptAs == '\0') {
                  EXPECT_EQ(saved.path, folders.PerUser());
                  EXPECT_EQ(Identity(folders.Beside()), before);
                  EXPECT_TRUE(!isFile || ReadAll(folders.Beside()) == theirs);
                  EXPECT_EQ(ReadAll(folders.PerUser()), Flipped(GoldenBytes()));
                  EXPECT_EQ(Count(saved.problem, folders.PerUser()), 1);
                  return;
                }
                const QString kept = folders.Path("program/") + QString::fromLatin1(c.keptAs);
                EXPECT_EQ(saved.path, folders.Beside());
                EXPECT_EQ(ReadAll(folders.Beside()), Flipped(GoldenBytes()));
                EXPECT_EQ(ReadAll(kept), theirs);
                EXPECT_EQ(Count(saved.problem, kept), 1) << saved.problem.toStdString();
                // Saved once, the file is this run's own again: no second copy.
                EXPECT_EQ(file.Save(kGolden).problem, QString());
              }),
              0);
  }
}

// A full disk has no room for a new file, but an existing file still takes
// its records in place; with no file to rewrite the palette goes nowhere and
// the user is told why for each place. Either way no temporary file is left.
TEST(PaletteFile, FullDiskRewritesAnExistingFileAndLeavesNothingElse) {
  for (const bool fileBeside : {true, false}) {
    SCOPED_TRACE(fileBeside ? "a palette file beside the program" : "no palette file yet");
    Folders folders;
    const QString disk = folders.Path("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    const int outcome = RunInChild([&] {
      MountTinyDisk(disk);
      const QString beside = disk + QStringLiteral("/program/kelvane.cfg");
      const QString perUser = disk + QStringLiteral("/user/kelvane.cfg");
      for (const QString& path : {beside, perUser}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
      }
      if (fileBeside) {
        ASSERT_TRUE(WriteFile(beside, GoldenBytes()));
      }
      ASSERT_NO_FATAL_FAILURE(FillDisk(disk + QStringLiteral("/filler")));

      const Saved saved = PaletteFile(beside, perUser).Save(Inverted(kGolden));
      const auto hidden = QDir::Files | QDir::Hidden;
      EXPECT_EQ(QDir(QFileInfo(perUser).path()).entryList(hidden), QStringList());
      if (fileBeside) {
        EXPECT_EQ(saved.path, beside);
        EXPECT_EQ(saved.problem, QString());
        EXPECT_EQ(ReadAll(beside), Flipped(GoldenBytes()));
        EXPECT_EQ(QDir(QFileInfo(beside).path()).entryList(hidden),
                  QStringList{QLatin1String(kFileName)});
        return;
      }
      EXPECT_EQ(saved.path, QString());
      EXPECT_EQ(Count(saved.problem, QStringLiteral("No space left on device")), 2)
          << saved.problem.toStdString();
      EXPECT_EQ(QDir(QFileInfo(beside).path()).entryList(hidden), QStringList());
    });
    if (outcome == kSkipped) GTEST_SKIP() << "the child printed why";
    EXPECT_EQ(outcome, 0);
  }
}

}  // namespace
}  // namespace palette
