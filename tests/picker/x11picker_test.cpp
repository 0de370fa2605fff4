// The X11 picker on a virtual X server, at the scale factor CTest sets: a
// window whose every device pixel has a colour of its own fills the screen;
// the pointer is moved, clicked and keyed through XTEST (xdotool), as a user
// would, while the picker holds the grab.
#include "picker/x11picker.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QColor>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "colour/colour.h"
#include "picker/loupe.h"

namespace {

class X11PickerTest : public testing::Test {
 protected:
  // Device pixel x, y shows red x mod 256, green y mod 256, blue 0x5A.
  static QRgb PatternAt(const QPoint& at) { return qRgb(at.x() % 256, at.y() % 256, 0x5A); }

  static QString Hex(QRgb rgb) { return QColor(rgb).name().toUpper().mid(1); }

  static void Xdotool(const QString& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' ')), 0)
        << arguments.toStdString();
  }

  using Connection = std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)>;
  static Connection Connect() { return {xcb_connect(nullptr, nullptr), xcb_disconnect}; }

  // Whether `client` could take the pointer: nobody else held it.
  static bool Grab(xcb_connection_t* client) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(client)).data->root;
    auto* reply = xcb_grab_pointer_reply(
        client,
        xcb_grab_pointer(client, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                         XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    const bool taken = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    return taken;
  }
  static bool PointerFree() { return Grab(Connect().get()); }

  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    QImage image(screen->geometry().size() * screen->devicePixelRatio(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, PatternAt({x, y}));
    }
    image.setDevicePixelRatio(screen->devicePixelRatio());
    pattern.setPixmap(QPixmap::fromImage(image));
    pattern.setGeometry(screen->geometry());
    pattern.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pattern));
    picker.onPicked = [this](colour::ColourWord word) {
      said << QStringLiteral("picked ") + QString::fromStdString(colour::FinalHex(word));
    };
    picker.onCancelled = [this] { said << QStringLiteral("cancelled"); };
    picker.onFailed = [this](const QString& why) { said << QStringLiteral("failed: ") + why; };
  }

  // Waits for the loupe to show device pixel `at`, beside the pointer there.
  void ExpectLoupeOn(const QPoint& at) {
    const QString hex = QStringLiteral("#") + Hex(PatternAt(at));
    ASSERT_TRUE(QTest::qWaitFor([&] {
      return picker.loupe() && picker.loupe()->isVisible() &&
             picker.loupe()->accessibleName() == hex;
    })) << (picker.loupe() ? picker.loupe()->accessibleName().toStdString() : "no loupe")
        << " instead of " << hex.toStdString();
    // Beside the pointer, never over the pixels it shows.
    const qreal ratio = pattern.devicePixelRatioF();
    const QPoint pointer(qRound(at.x() / ratio), qRound(at.y() / ratio));
    const QRect loupe = picker.loupe()->geometry();
    EXPECT_FALSE(loupe.adjusted(-6, -6, 6, 6).contains(pointer));
    EXPECT_LT((loupe.center() - pointer).manhattanLength(), 250);
    // The framed middle square is the pixel under the pointer.
    const int middle = 1 + picker::Loupe::kRadius * 10 + 5;
    EXPECT_EQ(Hex(picker.loupe()->grab().toImage().pixel(QPoint(middle, middle) * ratio)),
              Hex(PatternAt(at)));
  }

  QLabel pattern{nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint};
  picker::X11Picker picker;
  QStringList said;  // what the picker reported, in order
};

TEST_F(X11PickerTest, TakesTheDevicePixelUnderThePointerOrCancels) {
  struct Row {
    const char* name;
    QPoint start;
    const char* moves;   // xdotool arguments that move the pointer first, or none
    QPoint at;           // where the pointer is then
    const char* action;  // the xdotool arguments that end the pick
    bool picks;          // false: the pick is cancelled
  };
  const Row rows[] = {
      {"left click", {101, 51}, nullptr, {101, 51}, "click 1", true},
      {"arrows, then Enter", {200, 99}, "key Right Right Down", {202, 100}, "key Return", true},
      {"Space at the screen's edge", {0, 479}, "key Left", {0, 479}, "key space", true},
      {"Escape", {300, 300}, nullptr, {300, 300}, "key Escape", false},
      {"right click", {301, 301}, nullptr, {301, 301}, "click 3", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    said.clear();
    // Synchronously: the picker reads where the pointer is as it starts.
    Xdotool(QStringLiteral("mousemove --sync %1 %2").arg(row.start.x()).arg(row.start.y()));
    // The pick reads the screen, which may still show the last row's loupe.
    ASSERT_TRUE(QTest::qWaitFor([&] {
      const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
      return screen.pixel(row.start) == PatternAt(row.start);
    }));
    ASSERT_TRUE(picker.Start(&pattern));
    EXPECT_FALSE(picker.Start(&pattern)) << "a second pick over the first";
    ExpectLoupeOn(row.start);
    if (row.moves) {
      Xdotool(QString::fromLatin1(row.moves));
      ExpectLoupeOn(row.at);
    }
    Xdotool(QString::fromLatin1(row.action));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }));
    const QString expected = row.picks ? QStringLiteral("picked ") + Hex(PatternAt(row.at))
                                       : QStringLiteral("cancelled");
    EXPECT_EQ(said.join(u'|').toStdString(), expected.toStdString());
    EXPECT_FALSE(picker.Active());
    EXPECT_EQ(picker.loupe(), nullptr);
    EXPECT_TRUE(PointerFree()) << "a grab was left behind";
  }
}

TEST_F(X11PickerTest, PointerHeldByAnotherProgramFailsAndDestroyingReleases) {
  Connection other = Connect();
  ASSERT_TRUE(Grab(other.get()));
  ASSERT_TRUE(picker.Start(&pattern));
  EXPECT_TRUE(said.isEmpty()) << "reported from inside Start";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }));
  ASSERT_EQ(said.size(), 1) << said.join(u'|').toStdString();
  EXPECT_TRUE(said[0].startsWith(QStringLiteral("failed: Another program")))
      << said[0].toStdString();
  other.reset();

  // A pick under way when the picker goes away leaves no grab behind.
  {
    picker::X11Picker doomed;
    ASSERT_TRUE(doomed.Start(&pattern));
    ASSERT_TRUE(QTest::qWaitFor([&] { return doomed.loupe() && doomed.loupe()->isVisible(); }));
    EXPECT_FALSE(PointerFree());
  }
  EXPECT_TRUE(PointerFree());
}

}  // namespace
