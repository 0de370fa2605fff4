// The key filter of the channel boxes, row by row through real key events.
#include <QLineEdit>
#include <tuple>

#include "window_fixture.h"

namespace window {
namespace {

class KeysTest : public WindowTest {
 protected:
  // Puts the blue box in a state: its slider at `value`, its text `text`
  // (put over the whole text, as a paste would), the caret at the end or the
  // whole text selected.
  void Prepare(int value, const char* text, bool selectAll) {
    blue = Find<QLineEdit>("txtHEXCOLOR(2)");
    blue->setFocus();
    main->vsbCOLOR[2].SetValue(static_cast<std::int16_t>(value));
    blue->selectAll();
    blue->insert(QString::fromLatin1(text));
    ASSERT_EQ(blue->text(), QString::fromLatin1(text));
    ASSERT_EQ(main->vsbCOLOR[2].Value(), value);
    selectAll ? blue->selectAll() : blue->end(false);
  }

  QLineEdit* blue = nullptr;
};

TEST_F(KeysTest, EachKeyDoesWhatItsRowSays) {
  // The box's value, text and whether it is selected; the key typed ('\r':
  // Enter, which moves on to the next control); the text and value after it.
  const std::tuple<const char*, int, const char*, bool, char, const char*, int> rows[] = {
      {"lower digit into an empty box", 0, "", false, 'c', "C", 12},
      {"upper digit into an empty box", 0, "", false, 'C', "C", 12},
      {"second digit, lower case", 10, "A", false, 'b', "AB", 171},
      {"third digit refused", 171, "AB", false, 'c', "AB", 171},
      {"other character, empty box", 0, "", false, ' ', "", 0},
      {"other character, one digit", 10, "A", false, 'g', "A", 10},
      {"other character over a selection", 171, "AB", true, 'x', "AB", 171},
      {"Backspace, two digits", 171, "AB", false, '\b', "A", 10},
      {"Backspace, one digit", 10, "A", false, '\b', "0", 0},
      {"Backspace, empty box", 0, "", false, '\b', "", 0},
      {"Backspace over a selection", 171, "AB", true, '\b', "", 0},
      {"digit replaces a selection", 171, "AB", true, '7', "7", 7},
      {"lower digit replaces a selection", 171, "AB", true, 'd', "D", 13},
      {"Enter, one digit", 10, "A", false, '\r', "A", 10},
      {"Enter, two digits", 171, "AB", false, '\r', "AB", 171},
      {"Enter over a selection", 171, "AB", true, '\r', "AB", 171},
  };
  for (const auto& [what, value, text, selected, typed, textAfter, valueAfter] : rows) {
    SCOPED_TRACE(what);
    Prepare(value, text, selected);
    QTest::keyClick(blue, typed);
    EXPECT_EQ(blue->text(), QString::fromLatin1(textAfter));
    QCoreApplication::processEvents();
    EXPECT_EQ(main->vsbCOLOR[2].Value(), valueAfter);
    EXPECT_EQ(QApplication::focusWidget(), typed == '\r' ? Find("txtFINALHEX(1)") : blue);
  }
  Prepare(0, "", false);
  QTest::keyClicks(blue, QStringLiteral("8"));
  QTest::keyClick(blue, Qt::Key_Enter);  // the keypad's Enter
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), Find("txtFINALHEX(1)"));
  EXPECT_EQ(Shown(), "back: 5 0 8 | 5 0 8 | 080000 050008 | 80000008 on 00080005");
}

}  // namespace
}  // namespace window
