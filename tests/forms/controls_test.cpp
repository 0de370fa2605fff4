// Option buttons, labels, panels and SendKeys: the event semantics that Qt's
// own behaviour would otherwise leak through.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "forms/label.h"
#include "forms/optionbutton.h"
#include "forms/picturebox.h"
#include "forms/sendkeys.h"
#include "forms/shape.h"
#include "forms/textbox.h"

namespace forms {
namespace {

class OptionButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 200);
    second.SetValue(true);
    first.onClick = [this] { clicks.push_back({0, first.Value(), second.Value()}); };
    second.onClick = [this] { clicks.push_back({1, first.Value(), second.Value()}); };
    QWidget::setTabOrder(before.widget(), first.widget());
    QWidget::setTabOrder(first.widget(), second.widget());
    QWidget::setTabOrder(second.widget(), after.widget());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  struct Click {
    int index;
    bool firstValue;
    bool secondValue;
    bool operator==(const Click&) const = default;
  };

  QWidget window;
  TextBox before{&window, {0, 0, 900, 330}, {}};
  OptionButton first{&window, {0, 600, 1500, 240}, QStringLiteral("Text Color:")};
  OptionButton second{&window, {0, 900, 1500, 240}, QStringLiteral("Background:")};
  TextBox after{&window, {0, 1500, 900, 330}, {}};
  std::vector<Click> clicks;
};

TEST_F(OptionButtonTest, ChoosingRaisesClickAfterTheOtherTurnedFalse) {
  QTest::mouseClick(first.widget(), Qt::LeftButton);
  EXPECT_EQ(clicks, (std::vector<Click>{{0, true, false}}));
  QTest::mouseClick(first.widget(), Qt::LeftButton);
  EXPECT_EQ(clicks.size(), 1u) << "the chosen option raises nothing when clicked again";
}

TEST_F(OptionButtonTest, TabLandsOnTheChosenOption) {
  first.widget()->setFocus();  // Qt would return here, the last focused option
  after.widget()->setFocus();
  before.widget()->setFocus();
  QTest::keyClick(before.widget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), second.widget());
  QTest::keyClick(second.widget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), after.widget()) << "the pair is one stop";
  QTest::keyClick(after.widget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), second.widget());
}

TEST(LabelTest, MouseEventsReportTheButtonCodes) {
  QWidget window;
  Label label(&window, {0, 0, 330, 240}, QStringLiteral("Aa"), {});
  std::vector<std::int16_t> downs;
  std::vector<std::int16_t> ups;
  label.onMouseDown = [&](std::int16_t button, std::int16_t, float, float) {
    downs.push_back(button);
  };
  label.onMouseUp = [&](std::int16_t button, std::int16_t, float, float) { ups.push_back(button); };
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    QTest::mouseClick(label.widget(), button);
  }
  EXPECT_EQ(downs, (std::vector<std::int16_t>{1, 2, 4}));
  EXPECT_EQ(ups, downs);
}

TEST(PictureBoxTest, ChildrenAreMeasuredFromAndClippedByTheInsideOfTheBorder) {
  QWidget window;
  PictureBox panel(&window, {60, 2175, 2220, 1140}, 0x00808080);
  Shape marker(panel.Inside(), {-15, -15, 420, 330}, {});
  Label swatch(panel.Inside(), {30, 30, 330, 240}, QStringLiteral("Aa"), {});
  EXPECT_EQ(panel.Inside()->geometry(), QRect(1, 1, 146, 74));
  EXPECT_EQ(swatch.widget()->mapTo(&window, QPoint(0, 0)), QPoint(4 + 1 + 2, 145 + 1 + 2));
  EXPECT_EQ(marker.widget()->geometry(), QRect(-1, -1, 28, 22));
  // Beneath the swatch although made before... and after it.
  Shape late(panel.Inside(), {300, 300, 420, 330}, {});
  const QObjectList order = panel.Inside()->children();
  EXPECT_LT(order.indexOf(late.widget()), order.indexOf(swatch.widget()));
  EXPECT_TRUE(late.widget()->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(SendKeysTest, TabMovesTheFocusOnlyOnceTheHandlerHasReturned) {
  QWidget window;
  TextBox first(&window, {0, 0, 900, 330}, {});
  TextBox second(&window, {0, 600, 900, 330}, {});
  QWidget::setTabOrder(first.widget(), second.widget());
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  first.widget()->setFocus();
  QWidget* focusInsideHandler = nullptr;
  first.onKeyPress = [&](std::int16_t&) {
    SendKeys(QStringLiteral("{TAB}"));
    focusInsideHandler = QApplication::focusWidget();
  };
  QTest::keyClick(first.widget(), Qt::Key_Return);
  EXPECT_EQ(focusInsideHandler, first.widget());
  EXPECT_EQ(QApplication::focusWidget(), first.widget());
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), second.widget());
}

}  // namespace
}  // namespace forms
