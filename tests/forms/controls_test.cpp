// The forms controls in a real window, driven by real events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <memory>
#include <tuple>

#include "forms/colourword.h"
#include "forms/form.h"
#include "forms/recordfile.h"
#include "forms/textbox.h"
#include "forms/vscrollbar.h"

namespace forms {
namespace {

// Two text boxes, to move the focus between, and a channel slider: 255 at
// the top, 0 at the bottom.
class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box.onChange = [this] { texts.push_back(box.Text()); };
    bar.onChange = [this] { changes.push_back(bar.Value()); };
    bar.onScroll = [this] { scrolls.push_back(bar.Value()); };
    box.widget()->setFocus();
  }

  // Where a part of the slider (an arrow, the trough, the thumb) is drawn,
  // for the mouse to press as a user would.
  QPoint CentreOf(QStyle::SubControl part) const {
    auto* scrollBar = static_cast<QScrollBar*>(bar.widget());
    QStyleOptionSlider option;
    option.initFrom(scrollBar);
    option.orientation = scrollBar->orientation();
    option.minimum = scrollBar->minimum();
    option.maximum = scrollBar->maximum();
    option.sliderPosition = scrollBar->sliderPosition();
    option.pageStep = scrollBar->pageStep();
    return scrollBar->style()
        ->subControlRect(QStyle::CC_ScrollBar, &option, part, scrollBar)
        .center();
  }

  QWidget window;
  TextBox box{&window, {0, 0, 1500, 330}, {}};
  TextBox other{&window, {0, 600, 1500, 330}, {}};
  VScrollBar bar{&window, {1800, 0, 240, 2535}, {255, 0, 1, 16}};
  std::vector<QString> texts;
  std::vector<std::int16_t> changes, scrolls;
};
using TextBoxTest = ControlsTest;
using VScrollBarTest = ControlsTest;

// The window owns its widgets; a control only refers to its own. Under the
// address sanitizer a widget deleted twice fails here.
TEST(ControlOwnership, WindowAndControlMayGoInEitherOrder) {
  for (const bool windowFirst : {true, false}) {
    auto form = std::make_unique<Form>(QStringLiteral("main"), 1500, 1500);
    auto box =
        std::make_unique<TextBox>(form->widget(), TwipsRect{0, 0, 1500, 330}, TextBoxStyle{});
    box->onChange = [] {};
    const QPointer<QWidget> widget = box->widget();
    if (windowFirst) {
      form.reset();
      EXPECT_EQ(box->widget(), nullptr);
    } else {
      box.reset();
      EXPECT_FALSE(widget.isNull()) << "the control deleted a widget its window owns";
    }
  }
}

// The keys a box keeps from the window's shortcuts are decided ahead of
// QLineEdit; they must be exactly the ones a QLineEdit would keep.
TEST(TextBoxShortcutTest, KeepsTheKeysALineEditKeepsFromShortcuts) {
  const auto keptFromShortcuts = [](QWidget* editor, int key, Qt::KeyboardModifiers modifiers) {
    const bool types =
        key < Qt::Key_Escape && !(modifiers & (Qt::ControlModifier | Qt::AltModifier));
    QKeyEvent event(QEvent::ShortcutOverride, key, modifiers,
                    types ? QString(QChar(key)) : QString());
    event.ignore();
    QApplication::sendEvent(editor, &event);
    return event.isAccepted();
  };
  for (const Editing editing : {Editing::Editable, Editing::Locked}) {
    QWidget window;
    TextBox box{&window, {0, 0, 1500, 330}, {Lines::Single, editing}};
    QLineEdit plain;
    plain.setReadOnly(editing == Editing::Locked);
    for (const int key : {Qt::Key_8, Qt::Key_A, Qt::Key_V, Qt::Key_Space, Qt::Key_Escape,
                          Qt::Key_Delete, Qt::Key_Left, Qt::Key_F1}) {
      for (const Qt::KeyboardModifier modifier :
           {Qt::NoModifier, Qt::ShiftModifier, Qt::KeypadModifier, Qt::ControlModifier,
            Qt::AltModifier}) {
        EXPECT_EQ(keptFromShortcuts(box.widget(), key, modifier),
                  keptFromShortcuts(&plain, key, modifier))
            << "key " << std::hex << key << " modifiers " << int(modifier)
            << (editing == Editing::Locked ? " locked" : " editable");
      }
    }
  }
}

// A window's keys of the window's precedence run in an editable box that
// binds them too; the others stay the box's.
TEST(FormShortcutTest, WindowKeysWinOverTheBoxesOwn) {
  Form form(QStringLiteral("main"), 1500, 1500);
  TextBox box{form.widget(), {0, 0, 1500, 330}, {}};
  int undone = 0, pasted = 0;
  form.AddShortcut(
      QKeySequence::Undo, [&] { ++undone; }, KeyPrecedence::Window);
  form.AddShortcut(QKeySequence::Paste, [&] { ++pasted; });
  form.Show();
  form.widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.widget()));
  box.widget()->setFocus();
  QTest::keyClicks(box.widget(), QStringLiteral("12"));
  QTest::keyClick(box.widget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(box.Text(), QStringLiteral("12")) << "the box's own undo ran too";
  QTest::keyClick(box.widget(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(pasted, 0);
}

TEST_F(TextBoxTest, FocusEventsFollowTabButNotPopups) {
  int got = 0, lost = 0;
  box.onGotFocus = [&] { ++got; };
  box.onLostFocus = [&] { ++lost; };
  other.widget()->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(lost, 1);
  box.widget()->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(got, 1);
  QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(box.widget(), &popupOut);
  EXPECT_EQ(lost, 1) << "a context menu leaves the focus in the box";
}

TEST_F(TextBoxTest, ColourWordsComeBackAsAssignedAndReferencesDrawAsTheSystemColour) {
  const QPalette standard = QApplication::palette(box.widget());
  box.SetBackColor(0x00123456);
  EXPECT_EQ(box.BackColor(), 0x00123456);
  EXPECT_EQ(box.widget()->palette().color(QPalette::Base), QColor(0x56, 0x34, 0x12));
  box.SetBackColor(kSystemWindow);
  box.SetForeColor(kSystemWindowText);
  EXPECT_EQ(box.BackColor(), kSystemWindow);
  EXPECT_EQ(box.ForeColor(), kSystemWindowText);
  EXPECT_EQ(box.widget()->palette().color(QPalette::Base), standard.color(QPalette::Base));
  EXPECT_EQ(box.widget()->palette().color(QPalette::Text), standard.color(QPalette::Text));
}

// Change is raised inside an assignment, and only when the value differs.
TEST_F(ControlsTest, AssignmentsRaiseChangeOnlyForANewValue) {
  box.SetText(QStringLiteral("A"));
  box.SetText(QStringLiteral("A"));
  EXPECT_EQ(texts, std::vector<QString>{QStringLiteral("A")});
  EXPECT_EQ(bar.Value(), 255);
  bar.SetValue(5);
  bar.SetValue(5);
  EXPECT_EQ(changes, std::vector<std::int16_t>{5});
  EXPECT_TRUE(scrolls.empty());
}

TEST_F(VScrollBarTest, ClicksAndKeysMoveTheNaturalWayAndStopAtTheEnds) {
  // The value before, the part clicked or else the key pressed, the value after.
  const std::tuple<const char*, std::int16_t, QStyle::SubControl, Qt::Key, std::int16_t> cases[] = {
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
  for (const auto& [name, start, part, key, expected] : cases) {
    bar.SetValue(start);
    changes.clear();
    key != 0 ? QTest::keyClick(bar.widget(), key)
             : QTest::mouseClick(bar.widget(), Qt::LeftButton, {}, CentreOf(part));
    EXPECT_EQ(bar.Value(), expected) << name;
    EXPECT_EQ(changes.size(), start == expected ? 0u : 1u) << name;
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

// Reading and writing records is covered through the palette file
// (tests/palette); a device that fails is reported, not hidden.
TEST(RecordFile, AFailingDeviceIsReported) {
  QByteArray bytes(8, '\0');
  QBuffer device(&bytes);
  ASSERT_TRUE(device.open(QIODevice::ReadOnly));
  const std::array<std::byte, 4> record{};
  EXPECT_FALSE(RecordFile(device, 4).Write(1, record).isEmpty());
}

}  // namespace
}  // namespace forms
