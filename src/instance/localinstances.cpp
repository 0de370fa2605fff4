#include "instance/localinstances.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <utility>

namespace instance {
namespace {

using namespace std::chrono_literals;

constexpr char kDirectoryName[] = "huvenor";
constexpr char kSocketPrefix[] = "copy-";
constexpr char kLockName[] = "startup.lock";

constexpr char kAskTitle[] = "title?";
constexpr char kAskActivate[] = "activate";
constexpr char kActivated[] = "ok";

// A question or answer longer than this is not from a copy of ours.
constexpr qint64 kMaxLine = 4096;

// A lock whose holder is dead is taken over at once; this age only matters for
// a holder that is alive but has been starting for far longer than any start-up.
constexpr auto kStaleLockTime = 30s;
// QLockFile::tryLock(timeout) naps for up to five seconds between attempts, far
// longer than a start-up holds the lock; short naps let copies started
// together follow each other closely.
constexpr auto kLockRetry = 20ms;

QString DefaultDirectory() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) return {};
  return runtime + QLatin1Char('/') + QString::fromLatin1(kDirectoryName);
}

// Makes `path` a directory that only this user can reach, or tells that it is
// not one: a symbolic link or another user's directory is never trusted.
bool PrepareDirectory(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (::lstat(native.constData(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
  if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) return false;
  return true;
}

// Only a socket this user made can belong to a copy of ours; whatever else sits
// in the directory (a plain file, a link, another user's socket) is passed by.
bool IsOwnSocket(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return false;
  return S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid();
}

enum class Contact {
  Answered,  // connected, and answered if asked
  Silent,    // something is there but did not answer in time
  Stale,     // nobody listens: the copy that made the socket is gone
  Gone,      // the socket went away meanwhile
};

struct Reply {
  Contact contact = Contact::Gone;
  QByteArray answer;
};

int Remaining(const QDeadlineTimer& deadline) {
  return static_cast<int>(deadline.remainingTime());
}

// Connects to the copy at `path` and, unless `question` is empty, asks it and
// waits for its one-line answer; all within `timeout`.
Reply Ask(const QString& path, const QByteArray& question, std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(Remaining(deadline))) {
    switch (socket.error()) {
      case QLocalSocket::ConnectionRefusedError:
        return {Contact::Stale, {}};
      case QLocalSocket::ServerNotFoundError:
        return {Contact::Gone, {}};
      default:
        return {Contact::Silent, {}};
    }
  }
  if (question.isEmpty()) return {Contact::Answered, {}};

  socket.write(question + '\n');
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(Remaining(deadline))) return {Contact::Silent, {}};
  }
  while (!socket.canReadLine()) {
    if (socket.bytesAvailable() > kMaxLine || !socket.waitForReadyRead(Remaining(deadline)))
      return {Contact::Silent, {}};
  }
  QByteArray answer = socket.readLine(kMaxLine);
  answer.chop(1);
  return {Contact::Answered, answer};
}

// Titles travel percent-encoded, so that any title fits on one line.
QByteArray EncodeTitle(const QString& title) {
  return title.toUtf8().toPercentEncoding();
}

}  // namespace

class LocalInstances::Private {
 public:
  Private(LocalInstances& owner, LocalInstancesOptions options)
      : owner_(owner), options_(std::move(options)) {}

  void Start(const QString& title);
  QStringList Others();
  // Asks the copy at `path`; a socket found stale is cleared away.
  Reply AskOther(const QString& path, const QByteArray& question);
  void Serve(QLocalSocket& client);

  LocalInstances& owner_;
  LocalInstancesOptions options_;
  QString directory_;
  QString ownPath_;
  QByteArray title_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

void LocalInstances::Private::Start(const QString& title) {
  title_ = EncodeTitle(title);
  directory_ = options_.directory.isEmpty() ? DefaultDirectory() : options_.directory;
  if (directory_.isEmpty() || !PrepareDirectory(directory_)) {
    qWarning("Huvenor: %ls is not this user's own directory; other copies cannot be found",
             qUtf16Printable(directory_));
    directory_.clear();
    return;
  }

  lock_ =
      std::make_unique<QLockFile>(directory_ + QLatin1Char('/') + QString::fromLatin1(kLockName));
  lock_->setStaleLockTime(kStaleLockTime);
  const QDeadlineTimer deadline(options_.lockTimeout);
  // Past the deadline the copy goes on unserialised, as though the holder were
  // still starting: it still searches, so two copies rarely both stay.
  while (!lock_->tryLock(0) && lock_->error() == QLockFile::LockFailedError &&
         !deadline.hasExpired()) {
    QThread::msleep(static_cast<unsigned long>(kLockRetry.count()));
  }

  ownPath_ = directory_ + QLatin1Char('/') + QString::fromLatin1(kSocketPrefix) +
             QString::number(QCoreApplication::applicationPid());
  // Without socket options QLocalServer binds in place and fails over an
  // existing file (with them it would rename its socket over a live one). So
  // the only file cleared is our own name, and only when nobody listens on it:
  // it was left by a killed copy that had our process id.
  if (IsOwnSocket(ownPath_) && Ask(ownPath_, {}, options_.queryTimeout).contact == Contact::Stale)
    QFile::remove(ownPath_);

  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* client = server_.nextPendingConnection()) {
      QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      QObject::connect(client, &QLocalSocket::readyRead, client,
                       [this, client] { Serve(*client); });
    }
  });
  if (!server_.listen(ownPath_)) {
    qWarning("Huvenor: cannot listen on %ls (%ls); other copies will not find this one",
             qUtf16Printable(ownPath_), qUtf16Printable(server_.errorString()));
  }
}

QStringList LocalInstances::Private::Others() {
  QStringList paths;
  if (directory_.isEmpty()) return paths;
  const QDir directory(directory_);
  const QStringList names = directory.entryList(
      {QString::fromLatin1(kSocketPrefix) + QLatin1Char('*')},
      QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    const QString path = directory.filePath(name);
    // A copy never asks itself: it cannot answer while it waits for the answer.
    if (path == ownPath_ || !IsOwnSocket(path)) continue;
    paths.append(path);
  }
  return paths;
}

Reply LocalInstances::Private::AskOther(const QString& path, const QByteArray& question) {
  Reply reply = Ask(path, question, options_.queryTimeout);
  // A copy killed before it could withdraw leaves its socket behind; only such
  // a socket, one that refuses connections, is removed.
  if (reply.contact == Contact::Stale && IsOwnSocket(path)) QFile::remove(path);
  return reply;
}

void LocalInstances::Private::Serve(QLocalSocket& client) {
  while (client.canReadLine()) {
    QByteArray question = client.readLine(kMaxLine);
    question.chop(1);
    if (question == kAskTitle) {
      client.write(title_ + '\n');
    } else if (question == kAskActivate) {
      if (owner_.onActivate) owner_.onActivate();
      client.write(QByteArray(kActivated) + '\n');
    } else {
      client.abort();
      client.deleteLater();
      return;
    }
  }
  if (client.bytesAvailable() > kMaxLine) {
    client.abort();
    client.deleteLater();
  }
}

LocalInstances::LocalInstances(const QString& title, LocalInstancesOptions options)
    : d_(std::make_unique<Private>(*this, std::move(options))) {
  d_->Start(title);
}

LocalInstances::~LocalInstances() {
  Withdraw();
}

bool LocalInstances::OthersRunning() {
  for (const QString& path : d_->Others()) {
    const Contact contact = d_->AskOther(path, {}).contact;
    // A copy that is hung still runs; the guard's own search will time out on it.
    if (contact == Contact::Answered || contact == Contact::Silent) return true;
  }
  return false;
}

void LocalInstances::Publish(const QString& title) {
  d_->title_ = EncodeTitle(title);
}

void LocalInstances::FinishStartup() {
  if (d_->lock_) d_->lock_->unlock();
}

void LocalInstances::Withdraw() {
  // Closing removes the socket file; connections already open are left to the
  // server's end, since Withdraw may run inside one of their handlers.
  if (d_->server_.isListening()) d_->server_.close();
  FinishStartup();
}

bool LocalInstances::HoldsStartupLock() const {
  return d_->lock_ && d_->lock_->isLocked();
}

std::optional<WindowFinder::Window> LocalInstances::FindWindow(const QString& title) {
  const QByteArray wanted = EncodeTitle(title);
  for (const QString& path : d_->Others()) {
    const Reply reply = d_->AskOther(path, kAskTitle);
    if (reply.contact == Contact::Answered && reply.answer == wanted) return Window(path);
  }
  return std::nullopt;
}

void LocalInstances::ActivateWindow(const Window& window) {
  // Whether the other copy came forward is not looked at; waiting for its
  // acknowledgement only keeps this copy from ending before it was asked.
  if (const QString* path = std::any_cast<QString>(&window)) d_->AskOther(*path, kAskActivate);
}

}  // namespace instance
