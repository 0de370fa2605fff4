// The portal picker against a mock desktop portal (python-dbusmock) on the
// private session bus that dbus-run-session gives this test.
#include "picker/portalpicker.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <cstring>
#include <optional>

#include "colour/colour.h"

namespace {

using namespace std::chrono_literals;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");

bool PortalUp() {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus->isServiceRegistered(kPortal).value();
}

// The mock portal, answering as `parameters` (JSON) say, for as long as it lives.
class MockPortal {
 public:
  explicit MockPortal(const char* parameters) {
    mock_.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
         QStringLiteral(PORTAL_MOCK), QStringLiteral("-p"), QString::fromLatin1(parameters)});
    EXPECT_TRUE(QTest::qWaitFor(PortalUp)) << parameters;
  }
  ~MockPortal() {
    mock_.kill();
    mock_.waitForFinished();
    EXPECT_TRUE(QTest::qWaitFor([] { return !PortalUp(); }));
  }

  // How many requests the picker closed.
  static qsizetype Closed() {
    const QDBusReply<QStringList> closed =
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.huvenor.PortalMock"), QStringLiteral("ClosedRequests")));
    return closed.isValid() ? closed.value().size() : -1;
  }

 private:
  QProcess mock_;
};

// What the picker reported, in order.
struct Said : QStringList {
  explicit Said(picker::PortalPicker& picker) {
    picker.onPicked = [this](colour::ColourWord word) {
      append(QStringLiteral("picked ") + QString::fromStdString(colour::FinalHex(word)));
    };
    picker.onCancelled = [this] { append(QStringLiteral("cancelled")); };
    picker.onFailed = [this](const QString& reason) {
      append(QStringLiteral("failed: ") + reason);
    };
    picker.onAvailabilityChanged = [this, &picker] {
      append(QStringLiteral("unavailable: ") + picker.Unavailable());
    };
  }
};

// Each pick starts at once, while the portal is still being asked whether it
// can pick, and waits for that answer.
TEST(PortalPickerTest, AnswersOfThePortal) {
  struct Row {
    const char* name;
    const char* portal;  // the mock's parameters; null: no portal at all
    bool escape;         // the user presses Escape in our window meanwhile
    qsizetype closed;    // requests the picker closed when it gave up
    const char* said;    // what the picker reports, one line for each
  };
  const Row rows[] = {
      // 0.5 and 0.999 round up: truncating would give 127 and 254.
      {"colour", R"({"answer": "color"})", false, 0, "^picked 3380FF$"},
      {"answered elsewhere", R"({"answer": "color", "handle": "other"})", false, 0,
       "^picked 3380FF$"},
      {"cancelled", R"({"answer": "cancel"})", false, 0, "^cancelled$"},
      {"failed", R"({"answer": "fail"})", false, 0, "^failed: .*could not pick"},
      {"no answer", R"({"answer": "none"})", false, 1, "^failed: .*did not answer"},
      {"Escape", R"({"answer": "none"})", true, 1, "^cancelled$"},
      {"Escape, answered elsewhere", R"({"answer": "none", "handle": "other"})", true, 1,
       "^cancelled$"},
      {"version 1", R"({"version": 1})", false, 0,
       "^unavailable: .*version 1.*\\|failed: .*version 1.*$"},
      {"no portal", nullptr, false, -1,
       "^unavailable: .*not running\\.\\|failed: .*not running\\.$"},
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected()) << "run under dbus-run-session";
  QWidget window;
  window.show();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<MockPortal> portal;
    if (row.portal) portal.emplace(row.portal);
    // A short patience where only giving up ends the wait; a long one where
    // an answer or Escape must end it first.
    const bool silent = row.portal && std::strstr(row.portal, "none") && !row.escape;
    picker::PortalPicker picker(bus, silent ? 300ms : 60s);
    Said said(picker);
    ASSERT_TRUE(picker.Start(&window));
    EXPECT_FALSE(picker.Start(&window)) << "a second pick over the first";
    if (row.escape) {
      QTest::qWait(300);  // once the portal has said where it answers
      QTest::keyClick(&window, Qt::Key_Escape);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }));
    QTest::qWait(100);  // nothing more comes, but what the answer changed
    EXPECT_FALSE(picker.Active());
    EXPECT_TRUE(said.join(u'|').contains(QRegularExpression(QString::fromLatin1(row.said))))
        << said.join(u'|').toStdString();
    // The portal stops a request the picker gave up on.
    if (portal) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return MockPortal::Closed() == row.closed; }))
          << MockPortal::Closed();
    }
  }
}

// A portal that was not there when first asked is asked again as the user
// comes back to picking, rather than picking staying off for the run.
TEST(PortalPickerTest, PortalThatComesLaterIsFound) {
  picker::PortalPicker picker(QDBusConnection::sessionBus());
  Said said(picker);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }));
  EXPECT_TRUE(picker.Unavailable().contains(QStringLiteral("not running")));
  const MockPortal portal(R"({"answer": "color"})");
  picker.Unavailable();  // the menu opens again
  ASSERT_TRUE(QTest::qWaitFor([&] { return picker.Unavailable().isEmpty(); }));
  QWidget window;
  ASSERT_TRUE(picker.Start(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return said.size() == 3; }));
  EXPECT_EQ(said.join(u'|').toStdString(),
            "unavailable: Picking from the screen needs the desktop portal's screenshot "
            "service, which is not running.|unavailable: |picked 3380FF");
}

}  // namespace
