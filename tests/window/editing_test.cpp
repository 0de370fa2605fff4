// Channel editing: sliders, channel boxes and their keys, the preview, the
// option pair and the final hex boxes, driven through the real widgets.
#include <QLineEdit>
#include <tuple>

#include "window_fixture.h"

namespace window {
namespace {

// The first state comes from the system colour references. A slider
// recolours only the target, which becomes a plain colour word; switching
// the target moves the sliders, never the preview.
TEST_F(WindowTest, SlidersRecolourTheTargetTheOptionsChoose) {
  EXPECT_EQ(Shown(), "back: 5 0 0 | 5 0 0 | 080000 050000 | 80000008 on 00000005");
  main->vsbCOLOR[0].SetValue(255);  // a drag is the forms layer's test
  EXPECT_EQ(Shown(), "back: 255 0 0 | FF 0 0 | 080000 FF0000 | 80000008 on 000000FF");
  ChooseTarget(0);
  EXPECT_EQ(Shown(), "text: 8 0 0 | 8 0 0 | 080000 FF0000 | 80000008 on 000000FF");
  main->vsbCOLOR[2].SetValue(0x40);
  EXPECT_EQ(Shown(), "text: 8 0 64 | 8 0 40 | 080040 FF0000 | 00400008 on 000000FF");
  ChooseTarget(1);
  EXPECT_EQ(Shown(), "back: 255 0 0 | FF 0 0 | 080040 FF0000 | 00400008 on 000000FF");
}

// A typed or pasted value sets its slider and the box is rewritten as the
// slider's value; a text that gives the value the slider has stays as typed.
TEST_F(WindowTest, ChannelBoxesSetTheirSliders) {
  auto* green = Find<QLineEdit>("txtHEXCOLOR(1)");
  green->setFocus();
  green->selectAll();
  QTest::keyClick(green, Qt::Key_Delete);
  ASSERT_EQ(green->text(), QString()) << "the value did not change, so nothing rewrote it";
  QTest::keyClicks(green, QStringLiteral("a"));
  EXPECT_EQ(Shown(), "back: 5 10 0 | 5 A 0 | 080000 050A00 | 80000008 on 00000A05");
  EXPECT_EQ(green->cursorPosition(), 1);
  EXPECT_FALSE(green->hasSelectedText());
  green->setCursorPosition(0);
  QTest::keyClicks(green, QStringLiteral("0"));
  EXPECT_EQ(green->cursorPosition(), 2);

  main->vsbCOLOR[2].SetValue(255);
  Paste("txtHEXCOLOR(2)", QStringLiteral("ff"));
  Paste("txtHEXCOLOR(0)", QStringLiteral("123456789ABCDEF123456789"));  // clamped
  EXPECT_EQ(Shown(), "back: 255 10 255 | FF 0A ff | 080000 FF0AFF | 80000008 on 00FF0AFF");
}

// The key filter of the channel boxes, row by row through real key events on
// the blue box.
TEST_F(WindowTest, EachKeyDoesWhatItsRowSays) {
  auto* blue = Find<QLineEdit>("txtHEXCOLOR(2)");
  // Puts the box in a state: its slider at `value`, its text `text` (put over
  // the whole text, as a paste would), the caret at the end or the whole
  // text selected.
  const auto prepare = [&](int value, const char* text, bool selectAll) {
    blue->setFocus();
    main->vsbCOLOR[2].SetValue(static_cast<std::int16_t>(value));
    blue->selectAll();
    blue->insert(QString::fromLatin1(text));
    ASSERT_EQ(blue->text(), QString::fromLatin1(text));
    ASSERT_EQ(main->vsbCOLOR[2].Value(), value);
    selectAll ? blue->selectAll() : blue->end(false);
  };
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
    prepare(value, text, selected);
    QTest::keyClick(blue, typed);
    EXPECT_EQ(blue->text(), QString::fromLatin1(textAfter));
    QCoreApplication::processEvents();
    EXPECT_EQ(main->vsbCOLOR[2].Value(), valueAfter);
    EXPECT_EQ(QApplication::focusWidget(), typed == '\r' ? Find("txtFINALHEX(1)") : blue);
  }
  prepare(0, "", false);
  QTest::keyClicks(blue, QStringLiteral("8"));
  QTest::keyClick(blue, Qt::Key_Enter);  // the keypad's Enter
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), Find("txtFINALHEX(1)"));
  EXPECT_EQ(Shown(), "back: 5 0 8 | 5 0 8 | 080000 050008 | 80000008 on 00080005");
}

// Tab goes the design's way round; a box reached selects its whole text.
TEST_F(WindowTest, TabOrderFollowsTheDesign) {
  const std::tuple<const char*, const char*, const char*> steps[] = {
      {"vsbCOLOR(2)", "txtFINALHEX(0)", "080000"},
      {"txtFINALHEX(0)", "txtHEXCOLOR(0)", "5"},
      {"txtHEXCOLOR(2)", "txtFINALHEX(1)", "050000"},
      {"txtFINALHEX(1)", "optITEM(1)", ""},
      {"optITEM(1)", "Picture1", ""},
      {"Picture1", "vsbCOLOR(0)", ""},
  };
  for (const auto& [from, to, selected] : steps) {
    Find(from)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find(to)) << from << " -> " << to;
    const auto* box = qobject_cast<QLineEdit*>(Find(to));
    EXPECT_EQ(box ? box->selectedText() : QString(), QString::fromLatin1(selected)) << to;
  }
}

TEST_F(WindowTest, LockedBoxesIgnoreTyping) {
  for (const char* locked : {"txtFINALHEX(1)", "txtEXAMPLE"}) {
    Find(locked)->setFocus();
    QTest::keyClicks(Find(locked), QStringLiteral("12"));
  }
  EXPECT_EQ(Shown(), "back: 5 0 0 | 5 0 0 | 080000 050000 | 80000008 on 00000005");
  EXPECT_EQ(main->txtEXAMPLE->Text(), QStringLiteral("\r\nThis is an\r\nExample."));
}

}  // namespace
}  // namespace window
