// The key filter of the channel boxes, row by row through real key events.
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>

#include "window_fixture.h"

namespace window {
namespace {

class KeysTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
    blue = Find<QLineEdit>("txtHEXCOLOR(2)");
    blue->setFocus();
  }

  // Puts the blue box in a state: its slider at `value`, its text `text`
  // (set the way a user would, by pasting over it), the caret at the end
  // or the whole text selected.
  void Prepare(int value, const QString& text, bool selectAll) {
    main->vsbCOLOR[2].SetValue(static_cast<std::int16_t>(value));
    if (blue->text() != text) {
      QApplication::clipboard()->setText(text);
      blue->selectAll();
      if (text.isEmpty()) {
        QTest::keyClick(blue, Qt::Key_Delete);
      } else {
        QTest::keyClick(blue, Qt::Key_V, Qt::ControlModifier);
      }
    }
    ASSERT_EQ(blue->text(), text);
    ASSERT_EQ(main->vsbCOLOR[2].Value(), value);
    if (selectAll) {
      blue->selectAll();
    } else {
      blue->end(false);
    }
  }

  QLineEdit* blue = nullptr;
};

struct KeyRow {
  const char* what;
  int value;
  const char* text;
  bool selected;
  char typed;
  const char* expectedText;
  int expectedValue;
};

TEST_F(KeysTest, EachKeyDoesWhatItsRowSays) {
  const KeyRow rows[] = {
      {"lower digit into an empty box", 0, "", false, 'c', "C", 12},
      {"upper digit into an empty box", 0, "", false, 'C', "C", 12},
      {"second digit, lower case", 10, "A", false, 'b', "AB", 171},
      {"second digit, upper case", 10, "A", false, 'B', "AB", 171},
      {"third digit refused", 171, "AB", false, 'c', "AB", 171},
      {"other character, empty box", 0, "", false, ' ', "", 0},
      {"other character, one digit", 10, "A", false, 'g', "A", 10},
      {"other character, two digits", 171, "AB", false, '#', "AB", 171},
      {"other character over a selection", 171, "AB", true, 'x', "AB", 171},
      {"Backspace, two digits", 171, "AB", false, '\b', "A", 10},
      {"Backspace, one digit", 10, "A", false, '\b', "0", 0},
      {"Backspace, empty box", 0, "", false, '\b', "", 0},
      {"Backspace over a selection", 171, "AB", true, '\b', "", 0},
      {"digit replaces a selection", 171, "AB", true, '7', "7", 7},
      {"lower digit replaces a selection", 171, "AB", true, 'd', "D", 13},
  };
  for (const KeyRow& row : rows) {
    SCOPED_TRACE(row.what);
    Prepare(row.value, QString::fromLatin1(row.text), row.selected);
    QTest::keyClick(blue, row.typed);
    EXPECT_EQ(blue->text(), QString::fromLatin1(row.expectedText));
    EXPECT_EQ(main->vsbCOLOR[2].Value(), row.expectedValue);
    EXPECT_EQ(QApplication::focusWidget(), blue);
  }
}

TEST_F(KeysTest, BackspaceOverASelectionPassesThroughTheBackspaceCharacter) {
  Prepare(0, QStringLiteral("00"), true);
  QSignalSpy changes(blue, &QLineEdit::textChanged);
  QTest::keyClick(blue, Qt::Key_Backspace);
  ASSERT_EQ(changes.size(), 2);
  EXPECT_EQ(changes[0][0].toString(), QStringLiteral("\b"));
  EXPECT_EQ(changes[1][0].toString(), QString());
  EXPECT_EQ(main->vsbCOLOR[2].Value(), 0);
}

struct EnterRow {
  const char* what;
  int value;
  const char* text;
  bool selected;
};

TEST_F(KeysTest, EnterMovesToTheNextControlOnceTheKeyIsHandled) {
  const EnterRow rows[] = {
      {"one digit", 10, "A", false},
      {"two digits", 171, "AB", false},
      {"a selection", 171, "AB", true},
  };
  for (const EnterRow& row : rows) {
    SCOPED_TRACE(row.what);
    blue->setFocus();
    Prepare(row.value, QString::fromLatin1(row.text), row.selected);
    QTest::keyClick(blue, Qt::Key_Return);
    EXPECT_EQ(blue->text(), QString::fromLatin1(row.text)) << "the carriage return adds nothing";
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), Find("txtFINALHEX(1)"));
    EXPECT_EQ(main->vsbCOLOR[2].Value(), row.value);
  }
}

TEST_F(KeysTest, LeavingWithEnterAppliesTheTypedValue) {
  Prepare(0, QString(), false);
  QTest::keyClicks(blue, QStringLiteral("8"));
  QTest::keyClick(blue, Qt::Key_Enter);  // the keypad's Enter
  QCoreApplication::processEvents();
  EXPECT_EQ(main->vsbCOLOR[2].Value(), 8);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00080005);
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("050008"));
  EXPECT_EQ(QApplication::focusWidget(), Find("txtFINALHEX(1)"));
}

}  // namespace
}  // namespace window
