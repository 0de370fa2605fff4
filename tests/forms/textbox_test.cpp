#include "forms/textbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "forms/colourword.h"

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

TEST_F(TextBoxTest, ChangeIsRaisedInsideAnAssignmentOnlyWhenTheTextDiffers) {
  box.SetText(QStringLiteral("A"));
  ASSERT_EQ(changes, std::vector<QString>{QStringLiteral("A")});
  box.SetText(QStringLiteral("A"));
  EXPECT_EQ(changes.size(), 1u) << "assigning the same text must raise nothing";
}

TEST_F(TextBoxTest, ChangeFollowsEveryUserEdit) {
  QTest::keyClicks(box.widget(), QStringLiteral("ab"));
  QTest::keyClick(box.widget(), Qt::Key_Backspace);
  EXPECT_EQ(changes,
            (std::vector<QString>{QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("a")}));
}

TEST_F(TextBoxTest, AnAssignmentInsideChangeTakesEffect) {
  // The channel boxes rewrite their own text from inside their Change.
  box.onChange = [this] {
    changes.push_back(box.Text());
    if (box.Text() == QStringLiteral("a")) box.SetText(QStringLiteral("A"));
  };
  QTest::keyClick(box.widget(), Qt::Key_A);
  EXPECT_EQ(box.Text(), QStringLiteral("A"));
  EXPECT_EQ(changes, (std::vector<QString>{QStringLiteral("a"), QStringLiteral("A")}));
}

TEST_F(TextBoxTest, SelTextReplacesTheSelectionLeavesTheCaretAfterItAndRaisesChange) {
  box.SetText(QStringLiteral("1234"));
  box.SetSelStart(1);
  box.SetSelLength(2);
  ASSERT_EQ(box.SelStart(), 1);
  ASSERT_EQ(box.SelLength(), 2);
  changes.clear();
  box.SetSelText(QStringLiteral("x"));
  EXPECT_EQ(box.Text(), QStringLiteral("1x4"));
  EXPECT_EQ(box.SelStart(), 2);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_EQ(changes, std::vector<QString>{QStringLiteral("1x4")});
}

TEST_F(TextBoxTest, SelStartPutsTheCaretWithoutASelection) {
  box.SetText(QStringLiteral("FF"));
  box.SetSelStart(0);
  box.SetSelLength(2);
  box.SetSelStart(2);
  EXPECT_EQ(box.SelStart(), 2);
  EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(TextBoxTest, KeyPressSeesTypedCharactersAndZeroSwallowsThem) {
  std::vector<std::int16_t> seen;
  box.onKeyPress = [&](std::int16_t& keyAscii) {
    seen.push_back(keyAscii);
    if (keyAscii == 'x') keyAscii = 0;
  };
  QTest::keyClicks(box.widget(), QStringLiteral("axb"));
  QTest::keyClick(box.widget(), Qt::Key_Backspace);
  QTest::keyClick(box.widget(), Qt::Key_Return);
  EXPECT_EQ(box.Text(), QStringLiteral("a"));
  EXPECT_EQ(seen, (std::vector<std::int16_t>{'a', 'x', 'b', 8, 13}));
}

TEST_F(TextBoxTest, ShortcutsAndNavigationKeysAreNotTypedCharacters) {
  int seen = 0;
  box.onKeyPress = [&](std::int16_t& keyAscii) {
    ++seen;
    keyAscii = 0;
  };
  box.SetText(QStringLiteral("12"));
  QApplication::clipboard()->setText(QStringLiteral("FFF"));
  box.SetSelStart(0);
  box.SetSelLength(2);
  QTest::keyClick(box.widget(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box.Text(), QStringLiteral("FFF")) << "Ctrl+V must still paste";
  QTest::keyClick(box.widget(), Qt::Key_Home);
  QTest::keyClick(box.widget(), Qt::Key_Delete);
  EXPECT_EQ(box.Text(), QStringLiteral("FF")) << "Delete must still delete";
  EXPECT_EQ(seen, 0);
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

TEST(MultiLineTextBox, KeepsTheAssignedTextAndShowsItsLineBreaks) {
  QWidget window;
  TextBox memo(&window, {0, 0, 2175, 1095}, {Lines::Multi, Editing::Locked, Qt::AlignHCenter});
  int changes = 0;
  memo.onChange = [&] { ++changes; };
  const QString text = QStringLiteral("\r\nThis is an\r\nExample.");
  memo.SetText(text);
  memo.SetText(text);
  EXPECT_EQ(memo.Text(), text);
  EXPECT_EQ(changes, 1);
  const auto* editor = static_cast<QPlainTextEdit*>(memo.widget());
  EXPECT_EQ(editor->document()->blockCount(), 3);
  EXPECT_TRUE(editor->isReadOnly());
}

}  // namespace
}  // namespace forms
