// A save killed at any moment leaves one whole palette, the old one or the
// new one: palette_saver saves numbered palettes without pause and is killed
// with SIGKILL, round after round, and the file is read after each kill. The
// saver tells when each save starts, so the test also checks that its kills
// landed all through a save, not only at one moment of it.
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
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRounds = 300;
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
    output_ = out[0];
    // Two starts: the first save is done.
    while (Starts().size() < 2 && Read()) {
    }
  }
  ~Saver() { ::close(output_); }

  bool Started() const { return starts_.size() >= 2; }

  // Kills it, tells whether SIGKILL is what ended it, and where in the save
  // under way the kill landed: 0 as it began, towards 1 as it ended, judged
  // by how long its saves took.
  bool Kill(double& phase) {
    const auto killedAt = std::chrono::steady_clock::now().time_since_epoch().count();
    ::kill(pid_, SIGKILL);
    int status = 0;
    const bool killed =
        ::waitpid(pid_, &status, 0) == pid_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    while (Read()) {
    }
    const std::vector<std::int64_t> starts = Starts();
    std::vector<std::int64_t> lengths;
    for (std::size_t i = 1; i < starts.size(); ++i) lengths.push_back(starts[i] - starts[i - 1]);
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    phase = double(killedAt - starts.back()) / double(lengths[lengths.size() / 2]);
    return killed;
  }

 private:
  bool Read() {
    char buffer[4096];
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got > 0) starts_.append(buffer, static_cast<std::size_t>(got));
    return got > 0;
  }
  std::vector<std::int64_t> Starts() const {
    std::vector<std::int64_t> starts;
    std::istringstream lines(starts_);
    for (std::int64_t at = 0; lines >> at;) starts.push_back(at);
    return starts;
  }

  pid_t pid_ = -1;
  int output_ = -1;
  std::string starts_;
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
  double phase = 0;
  {
    Saver first(beside, perUser, false);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.Kill(phase));
  }
  ASSERT_EQ(::chmod(Native(beside).c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Native(program).c_str(), mode.readOnlyFolder ? 0555 : 0777), 0);

  std::mt19937 random(20260);
  std::uniform_int_distribution<int> pause(0, 3000);
  std::int32_t last = SaveNumber(ReadAll(beside));
  ASSERT_GT(last, 0);
  // Kills by quarter of the save they landed in.
  std::array<int, 4> quarters{};
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    Saver saver(beside, perUser, mode.readOnlyFolder);
    ASSERT_TRUE(saver.Started());
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
    ASSERT_TRUE(saver.Kill(phase));
    ++quarters[static_cast<std::size_t>(std::clamp(phase, 0.0, 0.99) * 4)];

    const std::int32_t number = SaveNumber(ReadAll(beside));
    ASSERT_GE(number, last) << "the file is not one whole palette, or an older one came back";
    last = number;
  }
  EXPECT_FALSE(QFile::exists(perUser)) << "every save went beside the program";
  // Every quarter of a save met a kill. (Most land past the last quarter, while
  // the saver waits for the processor, so no share is asked of each.)
  EXPECT_EQ(std::ranges::count(quarters, 0), 0) << testing::PrintToString(quarters);
  ::chmod(Native(program).c_str(), 0755);
}

INSTANTIATE_TEST_SUITE_P(Saves, KilledSaveTest,
                         testing::Values(Mode{"ReplacingTheFile", false},
                                         Mode{"RewritingInPlace", true}),
                         [](const testing::TestParamInfo<Mode>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
