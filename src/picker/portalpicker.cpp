#include "picker/portalpicker.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <optional>

namespace picker {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
// PickColor came with this version of the Screenshot interface.
constexpr unsigned kPickColorVersion = 2;
// A portal that has not said in this time whether it can pick is taken for
// one that cannot; the question is asked again at the next use.
constexpr int kAskTimeoutMs = 2000;

// A channel of the portal's colour, 0..1, as a byte: rounded, since a value
// like 0.999 means 255, not 254.
std::optional<colour::Channel> Byte(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  return static_cast<colour::Channel>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

std::optional<colour::ColourWord> ColourOf(const QVariantMap& results) {
  const QVariant color = results.value(QStringLiteral("color"));
  if (!color.canConvert<QDBusArgument>()) return std::nullopt;
  const auto argument = color.value<QDBusArgument>();
  if (argument.currentSignature() != QStringLiteral("(ddd)")) return std::nullopt;
  double red = 0;
  double green = 0;
  double blue = 0;
  argument.beginStructure();
  argument >> red >> green >> blue;
  argument.endStructure();
  const auto r = Byte(red);
  const auto g = Byte(green);
  const auto b = Byte(blue);
  if (!r || !g || !b) return std::nullopt;
  return colour::RGB(*r, *g, *b);
}

}  // namespace

// One PickColor call: the subscription to its answer, the wait for it, and
// Escape in our windows while it lasts.
class PortalPicker::Request : public QObject {
  Q_OBJECT

 public:
  Request(PortalPicker& owner, QDBusConnection bus) : owner_(owner), bus_(std::move(bus)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
      Finish(Outcome::kFailed, QStringLiteral("The desktop portal did not answer; "
                                              "no colour was picked."));
    });
  }

  ~Request() override {
    QApplication::instance()->removeEventFilter(this);
    Unsubscribe();
  }

  bool Begun() const { return begun_; }

  void Begin(std::chrono::milliseconds patience) {
    begun_ = true;
    // The portal names the request after our bus name and this token; the
    // answer is listened for before asking, so it cannot come first.
    const QString token = QStringLiteral("huvenor%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus_.baseService().mid(1);
    sender.replace(u'.', u'_');
    if (!Subscribe(kPath + QStringLiteral("/request/") + sender + u'/' + token)) {
      return Later(
          QStringLiteral("The desktop portal's answers cannot be received; "
                         "no colour was picked."));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kScreenshot, QStringLiteral("PickColor"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
              finished->deleteLater();
              if (done_) return;
              const QDBusPendingReply<QDBusObjectPath> reply = *finished;
              if (reply.isError()) {
                return Finish(Outcome::kFailed,
                              QStringLiteral("The desktop portal could not pick a colour: %1")
                                  .arg(reply.error().message()));
              }
              // A portal older than the naming above says where it answers.
              const QString handle = reply.value().path();
              if (handle != path_) {
                Unsubscribe();
                Subscribe(handle);
              }
            });
    timer_.start(patience);
    QApplication::instance()->installEventFilter(this);
  }

  // Fails the pick once control has left the caller.
  void Later(const QString& reason) {
    QTimer::singleShot(0, this, [this, reason] { Finish(Outcome::kFailed, reason); });
  }

  void Close() {
    if (path_.isEmpty()) return;
    bus_.asyncCall(
        QDBusMessage::createMethodCall(kService, path_, kRequest, QStringLiteral("Close")));
  }

 public Q_SLOTS:
  void Response(uint response, const QVariantMap& results) {
    if (response == 1) return Finish(Outcome::kCancelled);
    const auto word = response == 0 ? ColourOf(results) : std::nullopt;
    if (!word) {
      return Finish(Outcome::kFailed, QStringLiteral("The desktop portal could not pick a "
                                                     "colour; nothing was changed."));
    }
    Finish(Outcome::kPicked, {}, *word);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Close();
      Finish(Outcome::kCancelled);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  enum class Outcome { kPicked, kCancelled, kFailed };

  bool Subscribe(const QString& path) {
    path_ = path;
    return bus_.connect(kService, path_, kRequest, QStringLiteral("Response"), this,
                        SLOT(Response(uint, QVariantMap)));
  }

  void Unsubscribe() {
    if (path_.isEmpty()) return;
    bus_.disconnect(kService, path_, kRequest, QStringLiteral("Response"), this,
                    SLOT(Response(uint, QVariantMap)));
    path_.clear();
  }

  // Ends the pick: the owner forgets this request (deleted once control has
  // left it) before hearing the outcome, so it may start another.
  void Finish(Outcome outcome, const QString& reason = {}, colour::ColourWord word = 0) {
    if (done_) return;
    done_ = true;
    if (outcome == Outcome::kFailed) Close();
    timer_.stop();
    QApplication::instance()->removeEventFilter(this);
    Unsubscribe();
    owner_.request_.release()->deleteLater();
    if (outcome == Outcome::kPicked && owner_.onPicked) owner_.onPicked(word);
    if (outcome == Outcome::kCancelled && owner_.onCancelled) owner_.onCancelled();
    if (outcome == Outcome::kFailed && owner_.onFailed) owner_.onFailed(reason);
  }

  PortalPicker& owner_;
  QDBusConnection bus_;
  QString path_;
  QTimer timer_;
  bool begun_ = false;
  bool done_ = false;
};

PortalPicker::PortalPicker(QDBusConnection bus, std::chrono::milliseconds patience)
    : bus_(std::move(bus)), patience_(patience), answers_(std::make_unique<QObject>()) {
  Ask();
}

PortalPicker::~PortalPicker() {
  if (request_) request_->Close();
}

QString PortalPicker::Unavailable() const {
  if (!unavailable_.isEmpty() && !asking_) Ask();
  return unavailable_;
}

void PortalPicker::Ask() const {
  asking_ = true;
  if (!bus_.isConnected()) {
    // Told from the event loop, as an answer from the bus would be.
    QTimer::singleShot(0, answers_.get(), [this] {
      Answered(
          QStringLiteral("Picking from the screen needs the desktop portal, "
                         "and there is no session bus to reach it."));
    });
    return;
  }
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kScreenshot << QStringLiteral("version");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get, kAskTimeoutMs), answers_.get());
  QObject::connect(
      watcher, &QDBusPendingCallWatcher::finished, answers_.get(),
      [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
          return Answered(
              QStringLiteral("Picking from the screen needs the desktop portal's screenshot "
                             "service, which is not running."));
        }
        const uint version = reply.arguments().first().value<QDBusVariant>().variant().toUInt();
        if (version < kPickColorVersion) {
          return Answered(QStringLiteral("The desktop portal here is too old to "
                                         "pick colours (screenshot version %1; "
                                         "%2 is needed).")
                              .arg(version)
                              .arg(kPickColorVersion));
        }
        Answered({});
      });
}

void PortalPicker::Answered(const QString& unavailable) const {
  asking_ = false;
  const bool changed = unavailable != unavailable_;
  unavailable_ = unavailable;
  if (request_ && !request_->Begun()) {
    if (unavailable.isEmpty())
      request_->Begin(patience_);
    else
      request_->Later(unavailable);
  }
  if (changed && onAvailabilityChanged) onAvailabilityChanged();
}

bool PortalPicker::Start(QWidget* /*window*/) {
  if (request_) return false;
  request_ = std::make_unique<Request>(*this, bus_);
  if (asking_) return true;
  if (unavailable_.isEmpty())
    request_->Begin(patience_);
  else
    Ask();
  return true;
}

bool PortalPicker::Active() const {
  return request_ != nullptr;
}

void PortalPicker::Cancel() {
  if (!request_) return;
  request_->Close();
  request_->Response(1, {});
}

}  // namespace picker

#include "portalpicker.moc"
