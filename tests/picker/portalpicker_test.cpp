// The portal picker against a mock desktop portal (python-dbusmock) on the
// private session bus that dbus-run-session gives this test.
#include "picker/portalpicker.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <optional>

#include "colour/colour.h"

namespace {

using namespace std::chrono_literals;

bool PortalUp() {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop")).value();
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

 private:
  QProcess mock_;
};

TEST(PortalPickerTest, AnswersOfThePortal) {
  struct Row {
    const char* name;
    const char* portal;  // the mock's parameters; null: no portal at all
    bool escape;         // the user presses Escape in our window meanwhile
    const char* said;    // what the picker reports, or why it cannot pick
  };
  const Row rows[] = {
      // 0.5 and 0.999 round up: truncating would give 127 and 254.
      {"colour", R"({"answer": "color"})", false, "^picked 3380FF$"},
      {"cancelled", R"({"answer": "cancel"})", false, "^cancelled$"},
      {"failed", R"({"answer": "fail"})", false, "^failed: .*could not pick"},
      {"no answer", R"({"answer": "none"})", false, "^failed: .*did not answer"},
      {"Escape", R"({"answer": "none"})", true, "^cancelled$"},
      {"version 1", R"({"version": 1})", false, "^unavailable: .*version 1"},
      {"no portal", nullptr, false, "^unavailable: .*not running"},
  };
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected()) << "run under dbus-run-session";
  QWidget window;
  window.show();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<MockPortal> portal;
    if (row.portal) portal.emplace(row.portal);
    QStringList said;  // what the picker reported, in order
    const QString unavailable = picker::PortalPicker::Unavailable(bus);
    if (!unavailable.isEmpty()) said << QStringLiteral("unavailable: ") + unavailable;
    // A short patience for the portal that never answers; a long one where
    // Escape must end the wait first.
    picker::PortalPicker picker(bus, row.escape ? 60s : 300ms);
    picker.onPicked = [&](colour::ColourWord word) {
      said << QStringLiteral("picked ") + QString::fromStdString(colour::FinalHex(word));
    };
    picker.onCancelled = [&] { said << QStringLiteral("cancelled"); };
    picker.onFailed = [&](const QString& reason) { said << QStringLiteral("failed: ") + reason; };
    if (unavailable.isEmpty()) {
      ASSERT_TRUE(picker.Start(&window));
      EXPECT_FALSE(picker.Start(&window)) << "a second pick over the first";
      if (row.escape) {
        QTest::qWait(100);
        QTest::keyClick(&window, Qt::Key_Escape);
      }
      ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }));
      QTest::qWait(50);  // nothing more comes
      EXPECT_FALSE(picker.Active());
    }
    ASSERT_EQ(said.size(), 1) << said.join(u'|').toStdString();
    EXPECT_TRUE(said[0].contains(QRegularExpression(QString::fromLatin1(row.said))))
        << said[0].toStdString();
  }
}

}  // namespace
