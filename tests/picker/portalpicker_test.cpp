// The portal picker against a mock desktop portal (python-dbusmock) on the
// private session bus that dbus-run-session gives this test.
#include "picker/portalpicker.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <optional>

#include "colour/colour.h"

namespace {

using namespace std::chrono_literals;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
  return done();
}

// The mock portal, answering as `parameters` (JSON) say, for as long as it lives.
class MockPortal {
 public:
  explicit MockPortal(const char* parameters) {
    mock_.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
         QStringLiteral(PORTAL_MOCK), QStringLiteral("-p"), QString::fromLatin1(parameters)});
    up_ = WaitFor([] {
      return QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal).value();
    });
  }
  ~MockPortal() {
    mock_.kill();
    mock_.waitForFinished();
    WaitFor([] {
      return !QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal).value();
    });
  }
  bool up() const { return up_; }

 private:
  QProcess mock_;
  bool up_ = false;
};

TEST(PortalPickerTest, AnswersOfThePortal) {
  struct Row {
    const char* name;
    const char* portal;  // the mock's parameters; null: no portal at all
    bool escape;         // the user presses Escape in our window meanwhile
    const char* unavailable;
    std::optional<colour::ColourWord> picked;
    bool cancelled;
    const char* failed;
  };
  const Row rows[] = {
      // 0.5 and 0.999 round up: truncating would give 127 and 254.
      {"colour", R"({"answer": "color"})", false, nullptr, colour::RGB(51, 128, 255), false,
       nullptr},
      {"cancelled", R"({"answer": "cancel"})", false, nullptr, std::nullopt, true, nullptr},
      {"failed", R"({"answer": "fail"})", false, nullptr, std::nullopt, false, "could not pick"},
      {"no answer", R"({"answer": "none"})", false, nullptr, std::nullopt, false, "did not answer"},
      {"Escape", R"({"answer": "none"})", true, nullptr, std::nullopt, true, nullptr},
      {"version 1", R"({"version": 1})", false, "version 1", std::nullopt, false, nullptr},
      {"no portal", nullptr, false, "not running", std::nullopt, false, nullptr},
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected()) << "run under dbus-run-session";
  QWidget window;
  window.show();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<MockPortal> portal;
    if (row.portal) {
      portal.emplace(row.portal);
      ASSERT_TRUE(portal->up());
    }
    const QString unavailable = picker::PortalPicker::Unavailable(bus);
    if (row.unavailable) {
      EXPECT_TRUE(unavailable.contains(QString::fromLatin1(row.unavailable)))
          << unavailable.toStdString();
      continue;
    }
    ASSERT_TRUE(unavailable.isEmpty()) << unavailable.toStdString();

    // A short patience for the portal that never answers; a long one where
    // Escape must end the wait first.
    picker::PortalPicker picker(bus, row.escape ? 60s : 300ms);
    std::optional<colour::ColourWord> picked;
    bool cancelled = false;
    QString failed;
    picker.onPicked = [&](colour::ColourWord word) { picked = word; };
    picker.onCancelled = [&] { cancelled = true; };
    picker.onFailed = [&](const QString& reason) { failed = reason; };
    ASSERT_TRUE(picker.Start(&window));
    EXPECT_FALSE(picker.Start(&window)) << "a second pick over the first";
    if (row.escape) {
      QTest::qWait(100);
      QTest::keyClick(&window, Qt::Key_Escape);
    }
    ASSERT_TRUE(WaitFor([&] { return picked || cancelled || !failed.isEmpty(); }));
    QTest::qWait(50);  // nothing more comes
    EXPECT_EQ(picked, row.picked);
    EXPECT_EQ(cancelled, row.cancelled);
    EXPECT_EQ(failed.contains(QString::fromLatin1(row.failed ? row.failed : "\x01")),
              row.failed != nullptr)
        << failed.toStdString();
    EXPECT_FALSE(picker.Active());
  }
}

}  // namespace
