// Runs real copies (the instance_peer stand-in for the program) against each
// other, each test in a directory of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

// Failures show text, not the bytes of a QString.
void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << qPrintable(text) << '"';
}

namespace {

// Long enough for a sanitizer build on a busy machine; only reached on failure.
constexpr int kPatience = 60'000;
// What starting a copy takes beyond its waits, on a busy machine, in ms.
constexpr int kStartMargin = 1'500;

const QString kStartedAlone = QStringLiteral("started prev=0 lock=1 title=Huvenor");

class Peer {
 public:
  explicit Peer(const QString& directory, const QStringList& options = {}) : dir_(directory) {
    process_.setProgram(QString::fromUtf8(HUVENOR_INSTANCE_PEER));
    process_.setArguments(options + QStringList{directory});
    // Warnings and sanitizer reports go straight to the test's output.
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    EXPECT_TRUE(process_.waitForStarted(kPatience)) << qPrintable(process_.errorString());
    pid_ = static_cast<pid_t>(process_.processId());
  }
  ~Peer() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kPatience)) process_.kill();
    process_.waitForFinished(kPatience);
  }

  QString Socket() const { return dir_ + QStringLiteral("/copy-%1").arg(pid_); }

  // The first line from now on that starts with `prefix`; nothing when the
  // copy ended first.
  std::optional<QString> WaitFor(const char* prefix) {
    while (std::optional<QString> line = NextLine()) {
      if (line->startsWith(QLatin1String(prefix))) return line;
    }
    return std::nullopt;
  }

  // Everything the copy said, once it has ended.
  QStringList Finish() {
    process_.closeWriteChannel();
    while (NextLine()) {
    }
    return lines_;
  }

  // Ended by itself, normally and with status 0.
  bool EndedCleanly() {
    return (process_.state() == QProcess::NotRunning || process_.waitForFinished(kPatience)) &&
           process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
  }

  void Tell(const QString& command) { process_.write((command + QLatin1Char('\n')).toUtf8()); }
  pid_t Pid() const { return pid_; }

 private:
  std::optional<QString> NextLine() {
    while (!process_.canReadLine()) {
      if (process_.state() == QProcess::NotRunning) return std::nullopt;
      if (!process_.waitForReadyRead(kPatience) && process_.state() != QProcess::NotRunning) {
        ADD_FAILURE() << "copy " << pid_ << " said nothing for " << kPatience << " ms";
        return std::nullopt;
      }
    }
    lines_.append(QString::fromUtf8(process_.readLine()).trimmed());
    return lines_.constLast();
  }

  QProcess process_;
  QString dir_;
  pid_t pid_ = 0;
  QStringList lines_;
};

class LocalInstancesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Dir() const { return dir_.path(); }

  // A second copy finds `first` all the same: it ends, and `first` comes forward.
  void SecondCopyActivates(Peer& first) const {
    Peer second(Dir());
    EXPECT_EQ(second.WaitFor("started"), std::nullopt) << "a second window";
    EXPECT_EQ(first.WaitFor("activated"), QStringLiteral("activated"));
  }

  QTemporaryDir dir_;
};

// A copy killed between making the lock file and filling it leaves it empty;
// only a living holder may keep copies waiting, whatever the file says.
TEST_F(LocalInstancesTest, LeftoverLockFileDoesNotHoldTheNextStartBack) {
  QFile file(Dir() + QStringLiteral("/startup.lock"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  Peer next(Dir());
  EXPECT_EQ(next.WaitFor("started"), kStartedAlone) << "it waited out the lock";
}

// A client of the copy listening at `path`, connected.
int Connected(const QString& path) {
  const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray native = QFile::encodeName(path);
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  EXPECT_EQ(::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  return client;
}

TEST_F(LocalInstancesTest, ClientThatNeverSpeaksDoesNotStopTheRunningCopy) {
  Peer first(Dir());
  ASSERT_EQ(first.WaitFor("started"), kStartedAlone);
  const int silent = Connected(first.Socket());
  SecondCopyActivates(first);
  ::close(silent);
}

TEST_F(LocalInstancesTest, CopyWhoseSocketNameIsTakenIsStillFound) {
  // Something of the user's sits on the name the copy would listen on.
  Peer first(Dir(), QStringList{QStringLiteral("--together")});
  QFile squatter(first.Socket());
  ASSERT_TRUE(squatter.open(QIODevice::WriteOnly));
  squatter.close();
  first.Tell(QStringLiteral("go"));
  ASSERT_EQ(first.WaitFor("started"), kStartedAlone);
  SecondCopyActivates(first);
  EXPECT_TRUE(squatter.exists()) << "the file is not ours to remove";
}

// Something in or around the directory that looks like a copy of ours but is
// not one to be found.
enum class Plant { kFile, kLinkToLiveCopy, kLink, kLiveCopyGivenAway, kDirectoryGivenAway };
struct Intruder {
  const char* name;
  Plant plant;
  int lock;
};

// Plants the intruder beside a live copy started elsewhere; the next copy
// neither finds nor removes it.
void ExpectPassedBy(const Intruder& row) {
  SCOPED_TRACE(row.name);
  const auto giveAway = [](const QString& path) {  // to nobody
    return ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
  };
  QTemporaryDir dir, elsewhere;
  Peer live(elsewhere.path());
  ASSERT_EQ(live.WaitFor("started"), kStartedAlone);
  QString planted = dir.path() + QStringLiteral("/copy-1"), directory = dir.path();
  bool plantedIt = true;
  if (row.plant == Plant::kFile) plantedIt = QFile(planted).open(QIODevice::WriteOnly);
  if (row.plant == Plant::kLinkToLiveCopy) plantedIt = QFile::link(live.Socket(), planted);
  if (row.plant == Plant::kLiveCopyGivenAway) directory = elsewhere.path(), planted = live.Socket();
  if (row.plant == Plant::kLink) plantedIt = QFile::link(elsewhere.path(), directory = planted);
  if (row.plant == Plant::kDirectoryGivenAway) directory = planted = elsewhere.path();
  if (directory == elsewhere.path()) plantedIt = giveAway(planted);
  ASSERT_TRUE(plantedIt);

  Peer next(directory);
  EXPECT_EQ(next.WaitFor("started"),
            QStringLiteral("started prev=0 lock=%1 title=Huvenor").arg(row.lock));
  struct stat info {};
  EXPECT_EQ(::lstat(QFile::encodeName(planted).constData(), &info), 0) << "removed";
  EXPECT_FALSE(live.Finish().contains(QStringLiteral("activated")));
}

TEST_F(LocalInstancesTest, IntrudersAreNeitherTrustedNorRemoved) {
  const Intruder rows[] = {
      {"a plain file", Plant::kFile, 1},
      {"a link to a live copy", Plant::kLinkToLiveCopy, 1},
      {"a linked directory", Plant::kLink, 0},
  };
  for (const Intruder& row : rows) ExpectPassedBy(row);
}

// Only root can give a file to another user.
TEST_F(LocalInstancesTest, AnotherUsersFilesAreNeitherTrustedNorRemoved) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  const Intruder rows[] = {
      {"the live copy's own socket, another user's", Plant::kLiveCopyGivenAway, 1},
      {"another user's directory", Plant::kDirectoryGivenAway, 0},
  };
  for (const Intruder& row : rows) ExpectPassedBy(row);
}

TEST_F(LocalInstancesTest, HungCopyDoesNotHangTheNext) {
  Peer hung(Dir());
  ASSERT_EQ(hung.WaitFor("started"), kStartedAlone);
  ASSERT_EQ(::kill(hung.Pid(), SIGSTOP), 0);
  struct Resume {
    pid_t pid;
    ~Resume() { ::kill(pid, SIGCONT); }
  } resume{hung.Pid()};

  // It is there but cannot answer: the new copy gives up on it and stays,
  // having waited for it one question's timeout (2 s), no longer.
  QElapsedTimer took;
  took.start();
  Peer next(Dir());
  EXPECT_EQ(next.WaitFor("started"),
            QStringLiteral("started prev=1 lock=1 title=unwanted instance"));
  EXPECT_LT(took.elapsed(), 2'000 + kStartMargin);
}

// A client that is not a copy of ours: connected, it sends `line` bit by bit
// and is dropped without an answer.
TEST_F(LocalInstancesTest, StrangersAreDroppedByIdleTimeAndLineLength) {
  const struct {
    const char* name;
    QStringList options;
    QByteArray bytes;  // sent one at a time, then the rest at once
    QByteArray rest;
  } rows[] = {
      {"silent past the idle time", {QStringLiteral("--idle-timeout=300")}, {}, {}},
      {"trickling bytes that never make a question",
       {QStringLiteral("--idle-timeout=300")},
       QByteArray(200, 't'),
       {}},
      // Read whole, it would be a request to come forward.
      {"a request longer than a line may be",
       {QStringLiteral("--idle-timeout=60000")},
       {},
       "activate " + QByteArray(4090, 'a') + '\n'},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    QTemporaryDir dir;
    Peer copy(dir.path(), row.options);
    ASSERT_EQ(copy.WaitFor("started"), kStartedAlone);
    const int client = Connected(copy.Socket());
    ::send(client, row.rest.constData(), static_cast<std::size_t>(row.rest.size()), MSG_NOSIGNAL);
    QByteArray answered;
    bool dropped = false;
    for (int tick = 0; tick < 100 && !dropped; ++tick) {
      if (tick < row.bytes.size()) ::send(client, row.bytes.constData() + tick, 1, MSG_NOSIGNAL);
      pollfd entry{client, POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) continue;
      char chunk[64];
      const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
      if (got > 0) answered.append(chunk, got);
      dropped = got <= 0;
    }
    EXPECT_TRUE(dropped) << "still connected after 10 s";
    EXPECT_EQ(answered, QByteArray());
    ::close(client);
    EXPECT_FALSE(copy.Finish().contains(QStringLiteral("activated")));
  }
}

// Open descriptors of process `pid`.
int Descriptors(pid_t pid) {
  return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                              .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                              .size());
}

// Connections past the cap wait in the kernel's queue, taking none of the
// copy's descriptors, and are served in turn as the idle ones are dropped.
TEST_F(LocalInstancesTest, ConnectionsPastTheCapWaitWithoutTakingDescriptors) {
  Peer first(Dir(), {QStringLiteral("--max-connections=4"), QStringLiteral("--idle-timeout=100")});
  ASSERT_EQ(first.WaitFor("started"), kStartedAlone);
  const int before = Descriptors(first.Pid());
  std::vector<int> clients;
  for (int i = 0; i < 20; ++i) clients.push_back(Connected(first.Socket()));
  int most = 0;
  for (int sample = 0; sample < 10; ++sample) {
    most = std::max(most, Descriptors(first.Pid()) - before);
    QThread::msleep(30);
  }
  EXPECT_LE(most, 4);
  SecondCopyActivates(first);
  for (const int client : clients) ::close(client);
}

TEST_F(LocalInstancesTest, CopyStuckInStartupKeepsOthersOutUntilTheirTimeout) {
  Peer stuck(Dir(), {QStringLiteral("--hold")});
  ASSERT_EQ(stuck.WaitFor("started"), kStartedAlone);
  stuck.Tell(QStringLiteral("title Elsewhere"));
  ASSERT_TRUE(stuck.WaitFor("title Elsewhere"));

  // The lock stays with the stuck copy; past the timeout the next one goes on
  // without it, searching all the same.
  const QStringList impatient{QStringLiteral("--lock-timeout=200")};
  Peer next(Dir(), impatient);
  EXPECT_EQ(next.WaitFor("started"),
            QStringLiteral("started prev=1 lock=0 title=unwanted instance"));

  stuck.Tell(QStringLiteral("title Huvenor"));
  ASSERT_TRUE(stuck.WaitFor("title Huvenor"));
  Peer last(Dir(), impatient);
  EXPECT_EQ(last.WaitFor("started"), std::nullopt);
  EXPECT_TRUE(last.EndedCleanly());
  EXPECT_EQ(stuck.WaitFor("activated"), QStringLiteral("activated"));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
