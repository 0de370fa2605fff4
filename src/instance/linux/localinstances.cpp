#include "instance/linux/localinstances.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGlobal>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "instance/linux/asking.h"
#include "instance/linux/descriptor.h"
#include "instance/linux/runtimefolder.h"
#include "instance/linux/startuplock.h"
#include "instance/linux/wire.h"

namespace instance {
namespace {

using namespace std::chrono_literals;

constexpr char kSocketPrefix[] = "copy-";
constexpr char kLockName[] = "startup.lock";

// When accepting fails for want of descriptors the pending connection keeps
// the listening socket readable; watching it again only after a pause keeps
// the event loop from spinning on it.
constexpr auto kAcceptPause = 100ms;
// A copy's socket is named by its process id; should something of the user's
// sit on that name, the copy takes a numbered variant rather than running
// where no other copy can find it.
constexpr int kNameAttempts = 8;

// The answer to one question, or nothing for a question no copy of ours asks.
using Answerer = std::function<std::optional<QByteArray>(const QByteArray& question)>;

// One connection from another copy, served from the event loop. It reads only
// what has arrived and never waits to write, so a client that stalls, floods or
// does not read its answers holds up nothing; such a client is dropped, and so
// is one that leaves a question unasked for longer than `idleTimeout`.
class Connection final : public QObject {
 public:
  Connection(Descriptor socket, Answerer answer, std::chrono::milliseconds idleTimeout,
             std::function<void()> onClosed, QObject* parent)
      : QObject(parent),
        socket_(std::move(socket)),
        answer_(std::move(answer)),
        onClosed_(std::move(onClosed)),
        notifier_(socket_.Get(), QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { Drop(); });
    idle_.start(idleTimeout);
  }

 private:
  void Read() {
    char chunk[wire::kMaxLine];
    const ssize_t got = ::recv(socket_.Get(), chunk, sizeof chunk, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // Either the client left, or the connection broke.
    if (got <= 0) return Drop();
    pending_.Append(QByteArrayView(chunk, got));
    if (pending_.Overflowed()) return Drop();
    while (socket_.Valid()) {
      const std::optional<QByteArray> question = pending_.TakeLine();
      if (!question) break;
      const std::optional<QByteArray> answer = answer_(*question);
      if (!answer || !SendNow(*answer + '\n')) return Drop();
      // Only a question answered counts as activity: bytes trickled in
      // without ever making a line do not keep the connection.
      if (socket_.Valid()) idle_.start();
    }
  }

  // A copy of ours reads each answer before it asks again, so one that does
  // not fit the socket's buffer at once is owed to a client that is not one.
  bool SendNow(const QByteArray& data) {
    const ssize_t sent = ::send(socket_.Get(), data.constData(),
                                static_cast<std::size_t>(data.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    return sent == data.size();
  }

  // The descriptor is closed at once, so the client sees the end now; the
  // object goes once the event loop has left its handler.
  void Drop() {
    if (!socket_.Valid()) return;
    notifier_.setEnabled(false);
    idle_.stop();
    socket_.Reset();
    deleteLater();
    if (onClosed_) onClosed_();
  }

  // Declared in this order so that the notifier lets go of the descriptor
  // before it is closed.
  Descriptor socket_;
  Answerer answer_;
  std::function<void()> onClosed_;
  QSocketNotifier notifier_;
  QTimer idle_;
  wire::LineBuffer pending_;
};

}  // namespace

class LocalInstances::Private {
 public:
  Private(LocalInstances& owner, LocalInstancesOptions options)
      : owner_(owner), options_(std::move(options)) {}

  void Start(const QString& title);
  // 0 once listening, otherwise the error that stopped it.
  int Listen();
  void Accept();
  // Accepts again once a connection has gone, if the cap had stopped it.
  void ConnectionClosed();
  void StopListening();
  std::optional<QByteArray> Answer(const QByteArray& line);
  QStringList Others();
  // Asks the copy at `path`; a socket found stale is cleared away.
  Reply AskOther(const QString& path, const QByteArray& question);

  LocalInstances& owner_;
  LocalInstancesOptions options_;
  QString directory_;
  QString ownName_;
  QString ownPath_;
  QByteArray title_;
  // Held from Start until FinishStartup.
  Descriptor startupLock_;
  // Parent of the open connections, which go with it.
  QObject connections_;
  int openConnections_ = 0;
  Descriptor listener_;
  // Declared after listener_, so that it goes first.
  std::unique_ptr<QSocketNotifier> listenNotifier_;
  // The socket file this copy made, so that Withdraw removes that one only.
  std::optional<FileId> ownSocket_;
};

void LocalInstances::Private::Start(const QString& title) {
  title_ = wire::TitleAnswer(title);
  directory_ = options_.directory.isEmpty() ? DefaultRuntimeFolder() : options_.directory;
  if (directory_.isEmpty() || !PrepareRuntimeFolder(directory_)) {
    qWarning("Huvenor: %ls is not this user's own directory; other copies cannot be found",
             qUtf16Printable(directory_));
    directory_.clear();
    return;
  }

  // Past the deadline the copy goes on unserialised, as though the holder were
  // still starting: it still searches, so two copies rarely both stay.
  startupLock_ = TakeStartupLock(directory_ + QLatin1Char('/') + QString::fromLatin1(kLockName),
                                 options_.lockTimeout);

  int error = 0;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    ownName_ = QString::fromLatin1(kSocketPrefix) + QString::number(::getpid());
    if (attempt > 0) ownName_ += QLatin1Char('-') + QString::number(attempt);
    ownPath_ = QDir(directory_).filePath(ownName_);
    // Binding fails over an existing file, and a live copy's socket is never
    // replaced. So the only file cleared here is our own name, and only when
    // nobody listens on it: it was left by a killed copy that had our process id.
    if (const std::optional<FileId> left = OwnSocket(ownPath_)) {
      if (Ask(ownPath_, {}, options_.queryTimeout).contact == Contact::Stale)
        RemoveSocket(ownPath_, left);
    }
    error = Listen();
    if (error != EADDRINUSE) break;
  }
  // A path too long for a socket was reported where it was found.
  if (error != 0 && error != ENAMETOOLONG) {
    qWarning("Huvenor: cannot listen on %ls (%s); other copies will not find this one",
             qUtf16Printable(ownPath_), std::strerror(error));
  }
}

int LocalInstances::Private::Listen() {
  const std::optional<sockaddr_un> address = AddressOf(ownPath_);
  if (!address) return ENAMETOOLONG;
  Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return errno;
  if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
    return errno;
  ownSocket_ = OwnSocket(ownPath_);
  if (::listen(socket.Get(), SOMAXCONN) != 0) {
    const int error = errno;
    RemoveSocket(ownPath_, std::exchange(ownSocket_, std::nullopt));
    return error;
  }
  listener_ = std::move(socket);
  listenNotifier_ = std::make_unique<QSocketNotifier>(listener_.Get(), QSocketNotifier::Read);
  QObject::connect(listenNotifier_.get(), &QSocketNotifier::activated, listenNotifier_.get(),
                   [this] { Accept(); });
  return 0;
}

void LocalInstances::Private::Accept() {
  for (;;) {
    // At the cap, connections wait in the kernel's queue rather than take this
    // copy's descriptors, which the palette's save needs; each waiting client
    // is served as a connection goes, or gives up by its own deadline.
    if (openConnections_ >= options_.maxConnections) {
      listenNotifier_->setEnabled(false);
      return;
    }
    Descriptor client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (client.Valid()) {
      ++openConnections_;
      new Connection(
          std::move(client), [this](const QByteArray& question) { return Answer(question); },
          options_.idleTimeout, [this] { ConnectionClosed(); }, &connections_);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      QSocketNotifier* notifier = listenNotifier_.get();
      notifier->setEnabled(false);
      QTimer::singleShot(kAcceptPause, notifier, [notifier] { notifier->setEnabled(true); });
    }
    return;
  }
}

void LocalInstances::Private::ConnectionClosed() {
  --openConnections_;
  if (listenNotifier_ && openConnections_ < options_.maxConnections)
    listenNotifier_->setEnabled(true);
}

void LocalInstances::Private::StopListening() {
  if (!listener_.Valid()) return;
  // Removed before the socket closes, so that no copy meets the file without a
  // listener and takes this copy for a killed one.
  RemoveSocket(ownPath_, std::exchange(ownSocket_, std::nullopt));
  listenNotifier_.reset();
  listener_.Reset();
}

std::optional<QByteArray> LocalInstances::Private::Answer(const QByteArray& line) {
  const std::optional<wire::Question> question = wire::ParseQuestion(line);
  if (!question) return std::nullopt;
  if (question->kind == wire::Question::Kind::Title) return title_;
  if (owner_.onActivate) owner_.onActivate(question->handshake);
  return wire::ActivatedAnswer();
}

QStringList LocalInstances::Private::Others() {
  QStringList paths;
  if (directory_.isEmpty()) return paths;
  const QDir directory(directory_);
  // The prefix is matched here: a name filter would compile a regular
  // expression at every start, for the few names this folder holds.
  const QStringList names = directory.entryList(
      QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    if (!name.startsWith(QLatin1String(kSocketPrefix), Qt::CaseInsensitive)) continue;
    // A copy never asks itself: it cannot answer while it waits for the answer.
    if (name == ownName_) continue;
    const QString path = directory.filePath(name);
    if (OwnSocket(path)) paths.append(path);
  }
  return paths;
}

Reply LocalInstances::Private::AskOther(const QString& path, const QByteArray& question) {
  const std::optional<FileId> asked = OwnSocket(path);
  if (!asked) return {Contact::Gone, {}};
  Reply reply = Ask(path, question, options_.queryTimeout);
  // A copy killed before it could withdraw leaves its socket behind; only such
  // a socket, one that refuses connections, is removed.
  if (reply.contact == Contact::Stale) RemoveSocket(path, asked);
  return reply;
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
  d_->title_ = wire::TitleAnswer(title);
}

void LocalInstances::FinishStartup() {
  d_->startupLock_.Reset();
}

void LocalInstances::Withdraw() {
  // Connections already open are left to be closed with this object, since
  // Withdraw may run inside one of their handlers.
  d_->StopListening();
  FinishStartup();
}

bool LocalInstances::HoldsStartupLock() const {
  return d_->startupLock_.Valid();
}

class LocalInstances::Other final : public WindowFinder::Window {
 public:
  Other(LocalInstances::Private& finder, QString path) : finder_(finder), path_(std::move(path)) {}

  void Activate() override {
    // Whether the other copy came forward is not looked at; waiting for its
    // acknowledgement only keeps this copy from ending before it was asked.
    finder_.AskOther(path_, wire::ActivateQuestion(finder_.options_.handshake));
  }

 private:
  LocalInstances::Private& finder_;
  QString path_;
};

std::unique_ptr<WindowFinder::Window> LocalInstances::FindWindow(const QString& title) {
  const QByteArray wanted = wire::TitleAnswer(title);
  for (const QString& path : d_->Others()) {
    const Reply reply = d_->AskOther(path, wire::TitleQuestion());
    if (reply.contact == Contact::Answered && reply.answer == wanted)
      return std::make_unique<Other>(*d_, path);
  }
  return nullptr;
}

Handshake Handshake::FromEnvironment() {
  return {qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
}

}  // namespace instance
