// Channel editing: sliders, channel boxes, the preview, the option pair and
// the final hex boxes, driven through the real widgets.
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>

#include "forms/colourword.h"
#include "scrollbar_part.h"
#include "window_fixture.h"

namespace window {
namespace {

class EditingTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }

  QStringList Boxes() const {
    return {main->txtHEXCOLOR[0].Text(), main->txtHEXCOLOR[1].Text(), main->txtHEXCOLOR[2].Text()};
  }
  QStringList Finals() const { return {main->txtFINALHEX[0].Text(), main->txtFINALHEX[1].Text()}; }

  // Drags the red slider's thumb to the top of its bar with the mouse.
  void DragRedToTop() {
    auto* bar = Find<QScrollBar>("vsbCOLOR(0)");
    const QPoint grip = ScrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    for (int y = grip.y(); y > 0; y -= 20) QTest::mouseMove(bar, QPoint(grip.x(), y));
    QTest::mouseMove(bar, QPoint(grip.x(), 0));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(grip.x(), 0));
  }

  void Paste(const char* box, const QString& text) {
    QApplication::clipboard()->setText(text);
    auto* edit = Find<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  }
};

TEST_F(EditingTest, FirstStateComesFromTheSystemColourReferences) {
  EXPECT_EQ(Sliders(), (std::array<int, 3>{5, 0, 0}));
  EXPECT_EQ(Boxes(), (QStringList{QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("0")}));
  EXPECT_EQ(Finals(), (QStringList{QStringLiteral("080000"), QStringLiteral("050000")}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), forms::kSystemWindowText) << "text colour untouched";
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000005) << "the red slider's change made it plain";
  EXPECT_FALSE(main->optITEM[0].Value());
  EXPECT_TRUE(main->optITEM[1].Value());
}

TEST_F(EditingTest, RedSliderToTheTopRecoloursOnlyTheBackground) {
  DragRedToTop();
  EXPECT_EQ(main->vsbCOLOR[0].Value(), 255);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x000000FF);
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("FF"));
  EXPECT_EQ(Finals(), (QStringList{QStringLiteral("080000"), QStringLiteral("FF0000")}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), forms::kSystemWindowText);
}

TEST_F(EditingTest, TypedDigitSetsTheSliderAndTheBoxIsRewrittenInCanonicalForm) {
  auto* green = Find<QLineEdit>("txtHEXCOLOR(1)");
  green->setFocus();
  green->selectAll();
  QTest::keyClick(green, Qt::Key_Delete);
  ASSERT_EQ(green->text(), QString()) << "the value did not change, so nothing rewrote it";
  QTest::keyClicks(green, QStringLiteral("a"));
  EXPECT_EQ(main->vsbCOLOR[1].Value(), 10);
  EXPECT_EQ(green->text(), QStringLiteral("A"));
  EXPECT_EQ(green->cursorPosition(), 1);
  EXPECT_FALSE(green->hasSelectedText());
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000A05);
}

TEST_F(EditingTest, TextGivingTheCurrentValueStaysAsTyped) {
  main->vsbCOLOR[1].SetValue(10);
  auto* green = Find<QLineEdit>("txtHEXCOLOR(1)");
  green->setFocus();
  green->setCursorPosition(0);
  QTest::keyClicks(green, QStringLiteral("0"));
  EXPECT_EQ(green->text(), QStringLiteral("0A"));
  EXPECT_EQ(green->cursorPosition(), 2);

  main->vsbCOLOR[2].SetValue(255);
  Paste("txtHEXCOLOR(2)", QStringLiteral("ff"));
  EXPECT_EQ(main->txtHEXCOLOR[2].Text(), QStringLiteral("ff"));
  EXPECT_EQ(main->vsbCOLOR[2].Value(), 255);
}

TEST_F(EditingTest, PastedValuesBeyondAChannelAreClamped) {
  Paste("txtHEXCOLOR(0)", QStringLiteral("FFF"));
  EXPECT_EQ(main->vsbCOLOR[0].Value(), 255);
  EXPECT_EQ(main->txtHEXCOLOR[0].Text(), QStringLiteral("FF"));
  Paste("txtHEXCOLOR(0)", QStringLiteral("123456789ABCDEF123456789"));
  EXPECT_EQ(main->vsbCOLOR[0].Value(), 255);
}

TEST_F(EditingTest, SwitchingTheTargetMovesTheSlidersNotThePreview) {
  DragRedToTop();  // background now pure red
  const auto fore = main->txtEXAMPLE->ForeColor();
  const auto back = main->txtEXAMPLE->BackColor();
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{8, 0, 0})) << "the text colour's low bytes";
  EXPECT_EQ(Boxes(), (QStringList{QStringLiteral("8"), QStringLiteral("0"), QStringLiteral("0")}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), fore);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), back);

  QTest::mouseClick(Find("optITEM(1)"), Qt::LeftButton);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), fore);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), back);
  EXPECT_EQ(Finals(), (QStringList{QStringLiteral("080000"), QStringLiteral("FF0000")}));
}

TEST_F(EditingTest, EditingTheTextColourReplacesTheReferenceByAPlainWord) {
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  main->vsbCOLOR[2].SetValue(0x40);
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00400008);
  EXPECT_EQ(main->txtFINALHEX[0].Text(), QStringLiteral("080040"));
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000005);
}

TEST_F(EditingTest, TabOrderFollowsTheDesign) {
  const std::pair<const char*, const char*> steps[] = {
      {"vsbCOLOR(2)", "txtFINALHEX(0)"},    {"txtFINALHEX(0)", "txtHEXCOLOR(0)"},
      {"txtHEXCOLOR(2)", "txtFINALHEX(1)"}, {"txtFINALHEX(1)", "optITEM(1)"},
      {"optITEM(1)", "Picture1"},           {"Picture1", "vsbCOLOR(0)"},
  };
  for (const auto& [from, to] : steps) {
    Find(from)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find(to)) << from << " -> " << to;
  }
}

TEST_F(EditingTest, FocusSelectsTheWholeTextOfABoxAndLeavingAppliesIt) {
  Find("vsbCOLOR(2)")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  auto* final = Find<QLineEdit>("txtFINALHEX(0)");
  EXPECT_EQ(final->selectedText(), QStringLiteral("080000"));
  QTest::keyClick(final, Qt::Key_Tab);
  auto* red = Find<QLineEdit>("txtHEXCOLOR(0)");
  EXPECT_EQ(red->selectedText(), QStringLiteral("5"));
}

TEST_F(EditingTest, LockedBoxesIgnoreTyping) {
  auto* final = Find<QLineEdit>("txtFINALHEX(1)");
  final->setFocus();
  QTest::keyClicks(final, QStringLiteral("12"));
  EXPECT_EQ(final->text(), QStringLiteral("050000"));
  QWidget* preview = Find("txtEXAMPLE");
  preview->setFocus();
  QTest::keyClicks(preview, QStringLiteral("xy"));
  EXPECT_EQ(main->txtEXAMPLE->Text(), QStringLiteral("\r\nThis is an\r\nExample."));
}

}  // namespace
}  // namespace window
