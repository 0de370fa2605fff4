// A save killed at any moment leaves one whole palette, the old one or the
// new one: a child process saves numbered palettes without pause and is
// killed with SIGKILL, round after round, and the file is read after each
// kill. The child tells when each save starts, so the test also checks that
// its kills landed all through a save, not only at one moment of it.
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
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "palette/palettefile.h"

namespace {

constexpr int kRounds = 300;
constexpr uid_t kNobody = 65534;

std::string Native(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// The number of the save that wrote the file, or -1 when it is not one whole
// palette of SaveForever's (wrong size, or records of two saves).
std::int32_t SaveNumber(const QString& path) {
  QFile file(path);
  const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  if (bytes.size() != palette::kFileSize) return -1;
  const auto word = [&](int at) { return qFromLittleEndian<std::int32_t>(bytes.constData() + at); };
  for (int n = 1; n <= palette::kRecordCount; ++n) {
    if (word((n - 1) * 8) != word(0) || word((n - 1) * 8 + 4) != n - word(0)) return -1;
  }
  return word(0);
}

// Saves palettes over and over until it is killed. Save number g writes a
// palette whose every word tells g, record n = {g, n - g}, so a file holding
// records of two saves shows as a mix; numbering goes on from the palette it
// loads, so a file whose number went down was written over by an older one.
// Before each save it writes to `out` the moment it starts, one line each.
[[noreturn]] void SaveForever(const QString& beside, const QString& perUser, int out) {
  palette::PaletteFile file(beside, perUser);
  const auto last = file.Load().records[0];
  for (std::int32_t g = last ? last->fore + 1 : 1;; ++g) {
    const std::string start =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "\n";
    palette::Records records;
    for (int n = 1; n <= palette::kRecordCount; ++n) records[n - 1] = {g, n - g};
    if (::write(out, start.data(), start.size()) < 0 || !file.Save(records).problem.isEmpty())
      ::_exit(1);
  }
}

// Runs SaveForever on the two paths in a child process (as nobody when
// `dropRoot` and run as root), lets it save for `pause` once its first save
// is done, and kills it. Returns where in the save under way the kill landed:
// 0 as it began, towards 1 as it ended, judged by how long its saves took;
// NaN when it never saved or SIGKILL is not what ended it.
double SaveAndKill(const QString& beside, const QString& perUser, bool dropRoot,
                   std::chrono::microseconds pause) {
  int out[2];
  if (::pipe(out) != 0) return NAN;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (dropRoot && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      ::_exit(3);
    SaveForever(beside, perUser, out[1]);
  }
  ::close(out[1]);
  FILE* output = ::fdopen(out[0], "r");
  std::vector<long long> starts;
  // Two starts: the first save is done.
  for (long long at = 0; starts.size() < 2 && std::fscanf(output, "%lld", &at) == 1;)
    starts.push_back(at);
  std::this_thread::sleep_for(pause);
  const long long killedAt = std::chrono::steady_clock::now().time_since_epoch().count();
  ::kill(pid, SIGKILL);
  int status = 0;
  const bool killed =
      ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  for (long long at = 0; std::fscanf(output, "%lld", &at) == 1;) starts.push_back(at);
  std::fclose(output);
  if (!killed || starts.size() < 2) return NAN;
  std::vector<long long> lengths(starts.size());
  std::adjacent_difference(starts.begin(), starts.end(), lengths.begin());
  const auto median = lengths.begin() + 1 + (lengths.size() - 1) / 2;
  std::nth_element(lengths.begin() + 1, median, lengths.end());
  return double(killedAt - starts.back()) / double(*median);
}

// With the folder read-only the file is rewritten in place, not replaced.
class KilledSaveTest : public testing::TestWithParam<bool> {};

TEST_P(KilledSaveTest, LeavesTheOldOrTheNewPaletteWhole) {
  const bool readOnlyFolder = GetParam();
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString program = root.filePath(QStringLiteral("program"));
  const QString beside = program + QStringLiteral("/kelvane.cfg");
  const QString perUser = root.filePath(QStringLiteral("user/kelvane.cfg"));
  ASSERT_TRUE(QDir().mkpath(program));
  ASSERT_EQ(::chmod(Native(root.path()).c_str(), 0755), 0);
  ASSERT_EQ(::chmod(Native(program).c_str(), 0777), 0);
  ASSERT_FALSE(std::isnan(SaveAndKill(beside, perUser, false, {})));
  ASSERT_EQ(::chmod(Native(beside).c_str(), 0666), 0);
  ASSERT_EQ(::chmod(Native(program).c_str(), readOnlyFolder ? 0555 : 0777), 0);

  std::mt19937 random(20260);
  std::uniform_int_distribution<int> pause(0, 3000);
  std::int32_t last = SaveNumber(beside);
  ASSERT_GT(last, 0);
  std::array<int, 4> quarters{};  // kills by quarter of the save they landed in
  // Where the kills fall depends on how the machine shares its processors
  // out, so rounds go on, up to three times as many, until each quarter has
  // met one; every round still checks the file.
  for (int round = 1;
       round <= kRounds || (std::ranges::count(quarters, 0) > 0 && round <= 3 * kRounds); ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    const double phase =
        SaveAndKill(beside, perUser, readOnlyFolder, std::chrono::microseconds(pause(random)));
    ASSERT_FALSE(std::isnan(phase));
    ++quarters[static_cast<std::size_t>(std::clamp(phase, 0.0, 0.99) * 4)];
    const std::int32_t number = SaveNumber(beside);
    ASSERT_GE(number, last) << "the file is not one whole palette, or an older one came back";
    last = number;
  }
  EXPECT_FALSE(QFile::exists(perUser)) << "every save went beside the program";
  // Every quarter of a save met a kill. (Most land past the last quarter, while
  // the saver waits for the processor, so no share is asked of each.)
  EXPECT_EQ(std::ranges::count(quarters, 0), 0) << testing::PrintToString(quarters);
  ::chmod(Native(program).c_str(), 0755);
}

INSTANTIATE_TEST_SUITE_P(Saves, KilledSaveTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "RewritingInPlace" : "ReplacingTheFile";
                         });

}  // namespace
