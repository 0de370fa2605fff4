// A save killed at any moment leaves one whole palette, the old one or the
// new one: palette_saver saves numbered palettes without pause and is killed
// with SIGKILL, round after round, and the file is read after each kill.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <thread>

namespace {

constexpr int kRounds = 150;
constexpr int kRecords = 25;
constexpr uid_t kNobody = 65534;

std::string Native(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The number of the save that wrote `bytes`, or -1 when they are not one
// whole palette of palette_saver's (wrong size, or records of two saves).
std::int32_t SaveNumber(const QByteArray& bytes) {
  if (bytes.size() != kRecords * 8) return -1;
  const auto word = [&](int at) { return qFromLittleEndian<std::int32_t>(bytes.constData() + at); };
  const std::int32_t g = word(0);
  for (int n = 1; n <= kRecords; ++n) {
    if (word((n - 1) * 8) != g || word((n - 1) * 8 + 4) != n - g) return -1;
  }
  return g;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Saver {
 public:
  // Starts palette_saver on the two paths, as nobody when `dropRoot`, and
  // returns once its first save is done.
  Saver(const QString& beside, const QString& perUser, bool dropRoot) {
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    const std::string besidePath = Native(beside), perUserPath = Native(perUser);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      if (dropRoot && ::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        ::_exit(3);
      ::execl(HUVENOR_PALETTE_SAVER, "palette_saver", besidePath.c_str(), perUserPath.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(4);
    }
    ::close(out[1]);
    char line[16] = {};
    started_ = ::read(out[0], line, sizeof line - 1) > 0 && std::string(line) == "saving\n";
    ::close(out[0]);
  }

  bool Started() const { return started_; }

  // Kills it and tells whether SIGKILL is what ended it.
  bool Kill() {
    ::kill(pid_, SIGKILL);
    int status = 0;
    return ::waitpid(pid_, &status, 0) == pid_ && WIFSIGNALED(status) &&
           WTERMSIG(status) == SIGKILL;
  }

 private:
  pid_t pid_ = -1;
  bool started_ = false;
};

struct Mode {
  const char* name;
  bool readOnlyFolder;  // the file is rewritten in place instead of replaced
};

void PrintTo(const Mode& mode, std::ostream* out) {
  *out << mode.name;
}

class KilledSaveTest : public testing::TestWithParam<Mode> {};

TEST_P(KilledSaveTest, LeavesTheOldOrTheNewPaletteWhole) {
  const Mode mode = GetParam();
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString program = root.filePath(QStringLiteral("program"));
  const QString beside = program + QStringLiteral("/kelvane.cfg");
  const QString perUser = root.filePath(QStringLiteral("user/kelvane.cfg"));
  ASSERT_TRUE(QDir().mkpath(program));
  ASSERT_EQ(::chmod(Native(root.path()).c_str(), 0755), 0);
  ASSERT_EQ(::chmod(Native(program).c_str(), 0777), 0);
  {
    Saver first(beside, perUser, false);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.Kill());
  }
  ASSERT_EQ(::chmod(Native(beside).c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Native(program).c_str(), mode.readOnlyFolder ? 0555 : 0777), 0);

  std::mt19937 random(20260);
  std::uniform_int_distribution<int> pause(0, 3000);
  std::int32_t last = SaveNumber(ReadAll(beside));
  ASSERT_GT(last, 0);
  std::set<std::int32_t> seen;
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    Saver saver(beside, perUser, mode.readOnlyFolder);
    ASSERT_TRUE(saver.Started());
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
    ASSERT_TRUE(saver.Kill());

    const std::int32_t number = SaveNumber(ReadAll(beside));
    ASSERT_GE(number, last) << "the file is not one whole palette, or an older one came back";
    last = number;
    seen.insert(number);
  }
  EXPECT_FALSE(QFile::exists(perUser)) << "every save went beside the program";
  // Kills landed all through the saves, not at one moment.
  EXPECT_GT(seen.size(), kRounds / 2u);
  ::chmod(Native(program).c_str(), 0755);
}

INSTANTIATE_TEST_SUITE_P(Saves, KilledSaveTest,
                         testing::Values(Mode{"ReplacingTheFile", false},
                                         Mode{"RewritingInPlace", true}),
                         [](const testing::TestParamInfo<Mode>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
