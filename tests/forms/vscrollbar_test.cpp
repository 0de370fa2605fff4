#include "forms/vscrollbar.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "scrollbar_part.h"

namespace forms {
namespace {

// A channel slider: 255 at the top, 0 at the bottom.
class VScrollBarTest : public testing::Test {
 protected:
  void SetUp() override {
    window.resize(100, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bar.onChange = [this] { changes.push_back(bar.Value()); };
    bar.onScroll = [this] { scrolls.push_back(bar.Value()); };
  }

  QPoint CentreOf(QStyle::SubControl part) const {
    return ScrollBarPart(static_cast<QScrollBar*>(bar.widget()), part);
  }

  QWidget window;
  VScrollBar bar{&window, {0, 0, 240, 2535}, {255, 0, 1, 16}};
  std::vector<std::int16_t> changes;
  std::vector<std::int16_t> scrolls;
};

TEST_F(VScrollBarTest, StartsAtMinAndAssignmentsRaiseChangeOnlyForANewValue) {
  EXPECT_EQ(bar.Value(), 255);
  bar.SetValue(5);
  bar.SetValue(5);
  EXPECT_EQ(changes, std::vector<std::int16_t>{5});
  EXPECT_TRUE(scrolls.empty());
}

struct MoveCase {
  const char* name;
  std::int16_t start;
  QStyle::SubControl part;  // clicked, or else
  Qt::Key key;              // pressed
  std::int16_t expected;
};

TEST_F(VScrollBarTest, ClicksAndKeysMoveTheNaturalWayAndStopAtTheEnds) {
  const MoveCase cases[] = {
      {"top arrow raises by one", 100, QStyle::SC_ScrollBarSubLine, {}, 101},
      {"bottom arrow lowers by one", 100, QStyle::SC_ScrollBarAddLine, {}, 99},
      {"top arrow stops at 255", 255, QStyle::SC_ScrollBarSubLine, {}, 255},
      {"bottom arrow stops at 0", 0, QStyle::SC_ScrollBarAddLine, {}, 0},
      {"trough above the thumb raises by 16", 100, QStyle::SC_ScrollBarSubPage, {}, 116},
      {"trough below the thumb lowers by 16", 100, QStyle::SC_ScrollBarAddPage, {}, 84},
      {"trough stops at 255", 250, QStyle::SC_ScrollBarSubPage, {}, 255},
      {"trough stops at 0", 10, QStyle::SC_ScrollBarAddPage, {}, 0},
      {"Up raises by one", 100, {}, Qt::Key_Up, 101},
      {"Page Down lowers by 16", 101, {}, Qt::Key_PageDown, 85},
  };
  bar.widget()->setFocus();
  for (const MoveCase& c : cases) {
    bar.SetValue(c.start);
    changes.clear();
    c.key != 0 ? QTest::keyClick(bar.widget(), c.key)
               : QTest::mouseClick(bar.widget(), Qt::LeftButton, {}, CentreOf(c.part));
    EXPECT_EQ(bar.Value(), c.expected) << c.name;
    EXPECT_EQ(changes.size(), c.start == c.expected ? 0u : 1u) << c.name;
  }
}

TEST_F(VScrollBarTest, DraggingRaisesScrollPerStepAndOneChangeOnRelease) {
  bar.SetValue(0);
  changes.clear();
  const QPoint grip = CentreOf(QStyle::SC_ScrollBarSlider);
  QTest::mousePress(bar.widget(), Qt::LeftButton, {}, grip);
  for (int step = 1; step <= 4; ++step) QTest::mouseMove(bar.widget(), grip - QPoint(0, 10 * step));
  QTest::mouseRelease(bar.widget(), Qt::LeftButton, {}, grip - QPoint(0, 40));
  ASSERT_GE(scrolls.size(), 2u);
  EXPECT_GT(bar.Value(), 0) << "dragging up raises the value";
  EXPECT_EQ(changes, std::vector<std::int16_t>{bar.Value()});
}

}  // namespace
}  // namespace forms
