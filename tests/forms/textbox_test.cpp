#include "forms/textbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <memory>

#include "forms/colourword.h"
#include "forms/form.h"
#include "forms/recordfile.h"

namespace forms {
namespace {

class TextBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box.onChange = [this] { changes.push_back(box.Text()); };
    box.widget()->setFocus();
  }

  QWidget window;
  TextBox box{&window, {0, 0, 1500, 330}, {}};
  TextBox other{&window, {0, 600, 1500, 330}, {}};
  std::vector<QString> changes;
};

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

TEST_F(TextBoxTest, ChangeIsRaisedInsideAnAssignmentOnlyWhenTheTextDiffers) {
  box.SetText(QStringLiteral("A"));
  ASSERT_EQ(changes, std::vector<QString>{QStringLiteral("A")});
  box.SetText(QStringLiteral("A"));
  EXPECT_EQ(changes.size(), 1u) << "assigning the same text must raise nothing";
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
      for (const Qt::KeyboardModifiers modifiers :
           {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
            Qt::KeyboardModifiers(Qt::KeypadModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
            Qt::KeyboardModifiers(Qt::AltModifier)}) {
        EXPECT_EQ(keptFromShortcuts(box.widget(), key, modifiers),
                  keptFromShortcuts(&plain, key, modifiers))
            << "key " << std::hex << key << " modifiers " << modifiers.toInt()
            << (editing == Editing::Locked ? " locked" : " editable");
      }
    }
  }
}

TEST_F(TextBoxTest, FocusEventsFollowTabButNotPopups) {
  int got = 0;
  int lost = 0;
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
