// The X11 picker on a virtual X server, at the scale factor CTest sets: a
// window whose every device pixel has a colour of its own fills the screen;
// the pointer is moved, clicked and keyed through XTEST (xdotool), as a user
// would, while the picker holds the grab.
#include "picker/x11picker.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <optional>

#include "colour/colour.h"
#include "picker/loupe.h"

namespace {

// Device pixel x, y shows red x mod 256, green y mod 256, blue 0x5A.
colour::ColourWord PatternAt(int x, int y) {
  return colour::RGB(x % 256, y % 256, 0x5A);
}

class Pattern : public QWidget {
 public:
  Pattern() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
    setGeometry(QGuiApplication::primaryScreen()->geometry());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, 0x5A));
    }
    image.setDevicePixelRatio(ratio);
    QPainter(this).drawImage(0, 0, image);
  }
};

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
  return done();
}

void Xdotool(const QStringList& arguments) {
  ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0)
      << arguments.join(u' ').toStdString();
}

// Whether another client can take the pointer now: nothing of ours holds it.
bool PointerFree() {
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  auto* reply = xcb_grab_pointer_reply(
      other,
      xcb_grab_pointer(other, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                       XCB_NONE, XCB_CURRENT_TIME),
      nullptr);
  const bool free = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
  std::free(reply);
  xcb_disconnect(other);
  return free;
}

struct Outcome {
  std::optional<colour::ColourWord> picked;
  bool cancelled = false;
  QString failed;
  bool Ended() const { return picked || cancelled || !failed.isEmpty(); }
};

class X11PickerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    pattern.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pattern));
    picker.onPicked = [this](colour::ColourWord word) { outcome.picked = word; };
    picker.onCancelled = [this] { outcome.cancelled = true; };
    picker.onFailed = [this](const QString& reason) { outcome.failed = reason; };
  }

  // Starts a pick with the pointer at device pixel x, y and waits for the
  // loupe to show that pixel.
  void StartAt(int x, int y) {
    Xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
    ASSERT_TRUE(picker.Start(&pattern));
    EXPECT_FALSE(picker.Start(&pattern)) << "a second pick over the first";
    ASSERT_TRUE(WaitFor([&] { return picker.loupe() && picker.loupe()->isVisible(); }));
    ExpectLoupeOn(x, y);
  }

  void ExpectLoupeOn(int x, int y) {
    const QString hex =
        QStringLiteral("#") + QString::fromStdString(colour::FinalHex(PatternAt(x, y)));
    ASSERT_TRUE(WaitFor([&] { return picker.loupe()->accessibleName() == hex; }))
        << picker.loupe()->accessibleName().toStdString() << " for " << x << ", " << y;
    // Beside the pointer, never over the pixels it shows.
    const qreal ratio = pattern.devicePixelRatioF();
    const QPoint pointer(qRound(x / ratio), qRound(y / ratio));
    const QRect loupe = picker.loupe()->geometry();
    EXPECT_FALSE(loupe.adjusted(-6, -6, 6, 6).contains(pointer));
    EXPECT_LT((loupe.center() - pointer).manhattanLength(), 250);
    // The framed middle square is the pixel under the pointer.
    const QImage shown = picker.loupe()->grab().toImage();
    const QPoint middle =
        QPoint(1 + picker::Loupe::kRadius * 10 + 5, 1 + picker::Loupe::kRadius * 10 + 5) * ratio;
    const QRgb centre = shown.pixel(middle);
    EXPECT_EQ(colour::RGB(qRed(centre), qGreen(centre), qBlue(centre)), PatternAt(x, y));
  }

  Pattern pattern;
  picker::X11Picker picker;
  Outcome outcome;
};

TEST_F(X11PickerTest, TakesTheDevicePixelUnderThePointerOrCancels) {
  struct Row {
    const char* name;
    int x, y;
    std::vector<const char*> input;            // xdotool commands
    QPoint loupe;                              // where the loupe is before the last input
    std::optional<colour::ColourWord> picked;  // none: cancelled
  };
  const std::vector<Row> rows = {
      {"left click", 101, 51, {"click 1"}, {101, 51}, PatternAt(101, 51)},
      {"arrows, then Enter",
       200,
       99,
       {"key Right Right Down", "key Return"},
       {202, 100},
       PatternAt(202, 100)},
      {"Space at the screen's edge", 0, 479, {"key Left space"}, {0, 479}, PatternAt(0, 479)},
      {"Escape", 300, 300, {"key Escape"}, {300, 300}, std::nullopt},
      {"right click", 301, 301, {"click 3"}, {301, 301}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    outcome = {};
    StartAt(row.x, row.y);
    for (const char* const& input : row.input) {
      if (&input == &row.input.back()) ExpectLoupeOn(row.loupe.x(), row.loupe.y());
      Xdotool(QString::fromLatin1(input).split(u' '));
    }
    ASSERT_TRUE(WaitFor([&] { return outcome.Ended(); }));
    EXPECT_EQ(outcome.picked, row.picked);
    EXPECT_EQ(outcome.cancelled, !row.picked);
    EXPECT_TRUE(outcome.failed.isEmpty()) << outcome.failed.toStdString();
    EXPECT_FALSE(picker.Active());
    EXPECT_EQ(picker.loupe(), nullptr);
    EXPECT_TRUE(PointerFree()) << "a grab was left behind";
  }
}

TEST_F(X11PickerTest, PointerHeldByAnotherProgramFailsAndDestroyingReleases) {
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  std::free(xcb_grab_pointer_reply(
      other,
      xcb_grab_pointer(other, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                       XCB_NONE, XCB_CURRENT_TIME),
      nullptr));
  ASSERT_TRUE(picker.Start(&pattern));
  EXPECT_FALSE(outcome.Ended()) << "reported from inside Start";
  ASSERT_TRUE(WaitFor([&] { return outcome.Ended(); }));
  EXPECT_TRUE(outcome.failed.contains(QStringLiteral("Another program")))
      << outcome.failed.toStdString();
  EXPECT_FALSE(outcome.picked);
  xcb_disconnect(other);

  // A pick under way when the picker goes away leaves no grab behind.
  {
    picker::X11Picker doomed;
    ASSERT_TRUE(doomed.Start(&pattern));
    ASSERT_TRUE(WaitFor([&] { return doomed.loupe() && doomed.loupe()->isVisible(); }));
    EXPECT_FALSE(PointerFree());
  }
  EXPECT_TRUE(PointerFree());
}

}  // namespace
