#include "instance/localinstances.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>
#include <utility>

namespace instance {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kDirectoryName[] = "huvenor";
constexpr char kSocketPrefix[] = "copy-";
constexpr char kLockName[] = "startup.lock";

constexpr char kAskTitle[] = "title?";
constexpr char kAskActivate[] = "activate";
constexpr char kActivated[] = "ok";

// A question or answer longer than this is not from a copy of ours.
constexpr qsizetype kMaxLine = 4096;
// Desktops hand out tokens and ids of a few dozen characters; one longer than
// this is not a desktop's. Both percent-encoded still fit within kMaxLine.
constexpr qsizetype kMaxHandshakeField = 512;

// Short naps between attempts at the start-up lock let copies started
// together follow each other closely.
constexpr auto kLockRetry = 20ms;
// A copy whose queue of connections is full is alive but not accepting; it is
// tried again after this nap until the question's deadline.
constexpr auto kBacklogRetry = 5ms;
// When accepting fails for want of descriptors the pending connection keeps
// the listening socket readable; watching it again only after a pause keeps
// the event loop from spinning on it.
constexpr auto kAcceptPause = 100ms;
// A copy's socket is named by its process id; should something of the user's
// sit on that name, the copy takes a numbered variant rather than running
// where no other copy can find it.
constexpr int kNameAttempts = 8;

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

// Which file a path named when it was looked at, so that a file is removed
// only if it is still the one that was judged.
struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId&) const = default;
};

// Only a socket this user made can belong to a copy of ours; whatever else sits
// in the directory (a plain file, a link, another user's socket) is passed by.
std::optional<FileId> OwnSocket(const QString& path) {
  struct stat info {};
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  if (!S_ISSOCK(info.st_mode) || info.st_uid != ::geteuid()) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

// Removes the socket at `path` if it is still the file `id` names.
void RemoveSocket(const QString& path, std::optional<FileId> id) {
  if (id && OwnSocket(path) == id) ::unlink(QFile::encodeName(path).constData());
}

// A path too long for sun_path is refused rather than cut short, since the
// shortened path would name some other file. No copy of ours listens on such a
// path, so one met among the others' sockets is passed by.
std::optional<sockaddr_un> AddressOf(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
    static std::atomic_flag warned;
    if (!warned.test_and_set()) {
      qWarning("Huvenor: %ls is too long for a local socket; copies there cannot be reached",
               qUtf16Printable(path));
    }
    return std::nullopt;
  }
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  return address;
}

// Closes the descriptor it holds on every way out of a scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~Descriptor() { Reset(); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// The start-up lock is the kernel's lock on a file that stays in place, so it
// goes with its holder however that ends: a copy killed at any moment of its
// start-up leaves nothing that holds the next one back, and no copy has to
// judge from what a file says whether another is still alive. An invalid
// descriptor means the lock was not had in time, or cannot be had here.
Descriptor TakeStartupLock(const QString& path, std::chrono::milliseconds timeout) {
  Descriptor file(
      ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!file.Valid()) return Descriptor();
  const Clock::time_point deadline = Clock::now() + timeout;
  while (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return Descriptor();
    if (Clock::now() >= deadline) return Descriptor();
    std::this_thread::sleep_for(kLockRetry);
  }
  return file;
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

// Waits until `fd` is ready for `events`, but not past `deadline`. An error or
// hang-up counts as ready, so that the next call on the socket reports it.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= 0ms) return false;
    pollfd entry{fd, events, 0};
    const int ready =
        ::poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

Contact Connect(int fd, const sockaddr_un& address, Clock::time_point deadline) {
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
      return Contact::Answered;
    int error = errno;
    if (error == EINPROGRESS) {
      socklen_t size = sizeof error;
      if (!WaitFor(fd, POLLOUT, deadline) ||
          ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Contact::Silent;
      if (error == 0) return Contact::Answered;
    }
    switch (error) {
      case EISCONN:
        return Contact::Answered;
      case ECONNREFUSED:
        return Contact::Stale;
      case ENOENT:
      case ENOTDIR:
        return Contact::Gone;
      case EINTR:
        continue;
      case EAGAIN: {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return Contact::Silent;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, kBacklogRetry));
        continue;
      }
      default:
        return Contact::Silent;
    }
  }
}

// MSG_NOSIGNAL: a peer that vanished must not end this copy with SIGPIPE.
bool SendAll(int fd, const QByteArray& data, Clock::time_point deadline) {
  qsizetype sent = 0;
  while (sent < data.size()) {
    const ssize_t done = ::send(fd, data.constData() + sent,
                                static_cast<std::size_t>(data.size() - sent), MSG_NOSIGNAL);
    if (done >= 0) {
      sent += done;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

// The first line from `fd` without its newline; nothing if none came in time.
std::optional<QByteArray> ReceiveLine(int fd, Clock::time_point deadline) {
  QByteArray received;
  for (;;) {
    const qsizetype end = received.indexOf('\n');
    if (end >= 0) return received.left(end);
    if (received.size() >= kMaxLine) return std::nullopt;
    char chunk[512];
    const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
    if (got > 0) {
      received.append(chunk, got);
    } else if (got == 0) {
      return std::nullopt;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd, POLLIN, deadline)) return std::nullopt;
    } else if (errno != EINTR) {
      return std::nullopt;
    }
  }
}

// Connects to the copy at `path` and, unless `question` is empty, asks it and
// waits for its one-line answer; all within `timeout`, so that a copy that is
// hung holds up the one asking no longer than that.
Reply Ask(const QString& path, const QByteArray& question, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  const std::optional<sockaddr_un> address = AddressOf(path);
  if (!address) return {Contact::Gone, {}};
  const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return {Contact::Silent, {}};
  const Contact contact = Connect(socket.Get(), *address, deadline);
  if (contact != Contact::Answered || question.isEmpty()) return {contact, {}};

  if (!SendAll(socket.Get(), question + '\n', deadline)) return {Contact::Silent, {}};
  std::optional<QByteArray> answer = ReceiveLine(socket.Get(), deadline);
  if (!answer) return {Contact::Silent, {}};
  return {Contact::Answered, std::move(*answer)};
}

// Titles travel percent-encoded, so that any title fits on one line.
QByteArray EncodeTitle(const QString& title) {
  return title.toUtf8().toPercentEncoding();
}

// "activate TOKEN ID", each percent-encoded (so never holding a space) and
// empty when the launcher gave none.
QByteArray ActivateQuestion(const Handshake& handshake) {
  return QByteArray(kAskActivate) + ' ' + handshake.activationToken.toPercentEncoding() + ' ' +
         handshake.startupId.toPercentEncoding();
}

bool IsPercentEncoded(QByteArrayView field) {
  for (qsizetype i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c == '%') {
      if (i + 2 >= field.size() || !std::isxdigit(static_cast<unsigned char>(field[i + 1])) ||
          !std::isxdigit(static_cast<unsigned char>(field[i + 2])))
        return false;
      i += 2;
    } else if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr("-._~", c)) {
      return false;
    }
  }
  return true;
}

// A token or id as a desktop hands it out, or empty for anything else: it is
// passed on to the desktop and into X11 messages, so nothing that could be
// read as more than one value (control characters, text that is not UTF-8) or
// that would not fit a line is let through.
QByteArray DecodeHandshakeField(QByteArrayView field) {
  if (field.size() > 3 * kMaxHandshakeField || !IsPercentEncoded(field)) return {};
  const QByteArray decoded = QByteArray::fromPercentEncoding(field.toByteArray());
  if (decoded.size() > kMaxHandshakeField) return {};
  for (const char c : decoded) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return {};
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  static_cast<void>(QString(utf8(decoded)));
  return utf8.hasError() ? QByteArray() : decoded;
}

// The answer to one question, or nothing for a question no copy of ours asks.
using Answerer = std::function<std::optional<QByteArray>(const QByteArray& question)>;

// One connection from another copy, served from the event loop. It reads only
// what has arrived and never waits to write, so a client that stalls, floods or
// does not read its answers holds up nothing; such a client is dropped.
class Connection final : public QObject {
 public:
  Connection(Descriptor socket, Answerer answer, QObject* parent)
      : QObject(parent),
        socket_(std::move(socket)),
        answer_(std::move(answer)),
        notifier_(socket_.Get(), QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
  }

 private:
  void Read() {
    char chunk[kMaxLine];
    const ssize_t got = ::recv(socket_.Get(), chunk, sizeof chunk, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // Either the client left, or the connection broke.
    if (got <= 0) return Drop();
    pending_.append(chunk, got);
    qsizetype end;
    while (socket_.Valid() && (end = pending_.indexOf('\n')) >= 0) {
      const QByteArray question = pending_.left(end);
      pending_.remove(0, end + 1);
      const std::optional<QByteArray> answer = answer_(question);
      if (!answer || !SendNow(*answer + '\n')) return Drop();
    }
    if (pending_.size() > kMaxLine) Drop();
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
    socket_.Reset();
    deleteLater();
  }

  // Declared in this order so that the notifier lets go of the descriptor
  // before it is closed.
  Descriptor socket_;
  Answerer answer_;
  QSocketNotifier notifier_;
  QByteArray pending_;
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
  void StopListening();
  std::optional<QByteArray> Answer(const QByteArray& question);
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
  Descriptor listener_;
  // Declared after listener_, so that it goes first.
  std::unique_ptr<QSocketNotifier> listenNotifier_;
  // The socket file this copy made, so that Withdraw removes that one only.
  std::optional<FileId> ownSocket_;
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
    Descriptor client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (client.Valid()) {
      new Connection(
          std::move(client), [this](const QByteArray& question) { return Answer(question); },
          &connections_);
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

void LocalInstances::Private::StopListening() {
  if (!listener_.Valid()) return;
  // Removed before the socket closes, so that no copy meets the file without a
  // listener and takes this copy for a killed one.
  RemoveSocket(ownPath_, std::exchange(ownSocket_, std::nullopt));
  listenNotifier_.reset();
  listener_.Reset();
}

std::optional<QByteArray> LocalInstances::Private::Answer(const QByteArray& question) {
  if (question == kAskTitle) return title_;
  // A bare "activate" is a request without a handshake.
  const QByteArray activate = QByteArray(kAskActivate) + ' ';
  if (question == kAskActivate || question.startsWith(activate)) {
    const QList<QByteArray> fields = question.mid(activate.size()).split(' ');
    const Handshake handshake{DecodeHandshakeField(fields.value(0)),
                              DecodeHandshakeField(fields.value(1))};
    if (owner_.onActivate) owner_.onActivate(handshake);
    return QByteArray(kActivated);
  }
  return std::nullopt;
}

QStringList LocalInstances::Private::Others() {
  QStringList paths;
  if (directory_.isEmpty()) return paths;
  const QDir directory(directory_);
  const QStringList names = directory.entryList(
      {QString::fromLatin1(kSocketPrefix) + QLatin1Char('*')},
      QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
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
  d_->title_ = EncodeTitle(title);
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
  if (const QString* path = std::any_cast<QString>(&window))
    d_->AskOther(*path, ActivateQuestion(d_->options_.handshake));
}

Handshake Handshake::FromEnvironment() {
  return {qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
}

}  // namespace instance
