// Runs real copies (the instance_peer stand-in for the program) against each
// other, each test in a directory of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <optional>

// Failures show text, not the bytes of a QString.
void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << qPrintable(text) << '"';
}

namespace {

// Long enough for a sanitizer build on a busy machine; only reached on failure.
constexpr int kPatience = 60'000;

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
TEST_F(LocalInstancesTest, IntrudersAreNeitherTrustedNorRemoved) {
  enum Plant { kNothing, kFile, kLinkToLiveCopy, kLiveCopyGivenAway, kLink, kDirectoryGivenAway };
  const struct {
    const char* name;
    Plant plant;
    int lock;
  } rows[] = {
      {"a copy of ours, but one started with another directory", kNothing, 1},
      {"a plain file", kFile, 1},
      {"a link to a live copy", kLinkToLiveCopy, 1},
      {"the live copy's own socket, another user's", kLiveCopyGivenAway, 1},
      {"a linked directory", kLink, 0},
      {"another user's directory", kDirectoryGivenAway, 0},
  };
  const auto giveAway = [](const QString& path) {  // to nobody
    return ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if ((row.plant == kLiveCopyGivenAway || row.plant == kDirectoryGivenAway) && ::geteuid() != 0) {
      std::cout << "skipped without root: " << row.name << '\n';
      continue;
    }
    QTemporaryDir dir, elsewhere;
    Peer live(elsewhere.path());
    ASSERT_EQ(live.WaitFor("started"), kStartedAlone);
    QString planted = dir.path() + QStringLiteral("/copy-1"), directory = dir.path();
    bool plantedIt = true;
    if (row.plant == kNothing) planted = dir.path();
    if (row.plant == kFile) plantedIt = QFile(planted).open(QIODevice::WriteOnly);
    if (row.plant == kLinkToLiveCopy) plantedIt = QFile::link(live.Socket(), planted);
    if (row.plant == kLiveCopyGivenAway) directory = elsewhere.path(), planted = live.Socket();
    if (row.plant == kLink) plantedIt = QFile::link(elsewhere.path(), directory = planted);
    if (row.plant == kDirectoryGivenAway) directory = planted = elsewhere.path();
    if (directory == elsewhere.path()) plantedIt = giveAway(planted);
    ASSERT_TRUE(plantedIt);

    Peer next(directory);
    EXPECT_EQ(next.WaitFor("started"),
              QStringLiteral("started prev=0 lock=%1 title=Huvenor").arg(row.lock));
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(planted).constData(), &info), 0) << "removed";
    EXPECT_FALSE(live.Finish().contains(QStringLiteral("activated")));
  }
}

TEST_F(LocalInstancesTest, HungCopyDoesNotHangTheNext) {
  Peer hung(Dir());
  ASSERT_EQ(hung.WaitFor("started"), kStartedAlone);
  ASSERT_EQ(::kill(hung.Pid(), SIGSTOP), 0);
  struct Resume {
    pid_t pid;
    ~Resume() { ::kill(pid, SIGCONT); }
  } resume{hung.Pid()};

  // It is there but cannot answer: the new copy gives up on it and stays.
  Peer next(Dir());
  EXPECT_EQ(next.WaitFor("started"),
            QStringLiteral("started prev=1 lock=1 title=unwanted instance"));
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
