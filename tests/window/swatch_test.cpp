// The swatch palette: a right press stores the preview's pair, any other
// press recalls a swatch's pair; every press moves the marker.
#include "forms/colourword.h"
#include "window/layout.h"
#include "window_fixture.h"

namespace window {
namespace {

class SwatchTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }

  void Press(int swatch, Qt::MouseButton button) {
    const QString name = QStringLiteral("lblSTORE(%1)").arg(swatch);
    QTest::mouseClick(Find(name.toLatin1().constData()), button);
  }
  void ChooseTextColour() { QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton); }
};

TEST_F(SwatchTest, RightPressStoresThePreviewAndMovesNothingElse) {
  main->vsbCOLOR[1].SetValue(0x80);  // background 0x00008005
  Press(9, Qt::RightButton);
  EXPECT_EQ(main->lblSTORE[9].BackColor(), 0x00008005);
  EXPECT_EQ(main->lblSTORE[9].ForeColor(), forms::kSystemWindowText);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{5, 0x80, 0}));
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00008005);
  EXPECT_EQ(main->shpSTOREMARK->Left(), 1110 - 45);
  EXPECT_EQ(main->shpSTOREMARK->Top(), 300 - 45);
}

TEST_F(SwatchTest, LeftPressRecallsThePairIntoThePreviewAndTheTargetIntoTheSliders) {
  Press(1, Qt::LeftButton);  // white on 128, 64, 0
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00FFFFFF);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00004080);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{128, 64, 0}));
  EXPECT_EQ(main->txtFINALHEX[0].Text(), QStringLiteral("FFFFFF"));
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("804000"));

  ChooseTextColour();
  Press(10, Qt::LeftButton);  // black on 255, 224, 192
  EXPECT_EQ(Sliders(), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00000000);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00C0E0FF);
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("FFE0C0"));
}

TEST_F(SwatchTest, MiddlePressRecallsLikeTheLeft) {
  Press(7, Qt::MiddleButton);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x000000FF);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{255, 0, 0}));
}

TEST_F(SwatchTest, RecallWhoseChannelsEqualTheSlidersShowsThePairExactly) {
  Press(3, Qt::RightButton);  // the first-run pair, text colour still a reference
  ASSERT_EQ(main->lblSTORE[3].ForeColor(), forms::kSystemWindowText);
  Press(3, Qt::LeftButton);
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), forms::kSystemWindowText);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000005);
  EXPECT_EQ(main->lngTEXTCOLOR, forms::kSystemWindowText);
}

TEST_F(SwatchTest, RecalledReferenceBecomesAPlainWordOnceASliderMoves) {
  Press(3, Qt::RightButton);
  Press(7, Qt::LeftButton);  // white on red
  ChooseTextColour();        // sliders now 255, 255, 255
  Press(3, Qt::LeftButton);
  EXPECT_EQ(Sliders(), (std::array<int, 3>{8, 0, 0}));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00000008) << "the target became plain";
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000005);
  EXPECT_EQ(main->txtFINALHEX[0].Text(), QStringLiteral("080000"));
}

TEST_F(SwatchTest, KeyboardMovesTheMarkerRecallsAndStores) {
  QWidget* palette = Find("Picture1");
  palette->setFocus(Qt::TabFocusReason);
  QTest::keyClick(palette, Qt::Key_Left);  // already at the left edge
  QTest::keyClick(palette, Qt::Key_Right);
  QTest::keyClick(palette, Qt::Key_Down);
  EXPECT_EQ(main->shpSTOREMARK->Left(), 390 - 45);
  EXPECT_EQ(main->shpSTOREMARK->Top(), 300 - 45);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00000005) << "moving the marker recalls nothing";

  QTest::keyClick(palette, Qt::Key_Return);  // swatch 7: white on red
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x000000FF);
  main->vsbCOLOR[1].SetValue(0x80);
  QTest::keyClick(palette, Qt::Key_Insert);
  EXPECT_EQ(main->lblSTORE[7].BackColor(), 0x000080FF);
  QTest::keyClick(palette, Qt::Key_Up);
  QTest::keyClick(palette, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(main->lblSTORE[1].BackColor(), 0x000080FF) << "Ctrl+Enter stores";
}

TEST_F(SwatchTest, EveryControlHasAnAccessibleName) {
  for (const ControlRow& row : Layout()) {
    const QString name = QString::fromLatin1(row.name.data(), row.name.size());
    const QString objectName =
        row.index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(row.index);
    const auto* widget = main->form.widget()->findChild<QWidget*>(objectName);
    ASSERT_NE(widget, nullptr) << objectName.toStdString();
    EXPECT_FALSE(widget->accessibleName().isEmpty()) << objectName.toStdString();
  }
  EXPECT_EQ(Find("txtHEXCOLOR(0)")->accessibleName(), QStringLiteral("Red channel in hex"));
  EXPECT_EQ(Find("txtFINALHEX(0)")->accessibleName(), QStringLiteral("Text colour hex"));
}

TEST_F(SwatchTest, SwatchDescriptionAndTooltipFollowItsColours) {
  QWidget* swatch = Find("lblSTORE(7)");
  EXPECT_EQ(swatch->accessibleName(), QStringLiteral("Swatch 8"));
  EXPECT_EQ(swatch->accessibleDescription(), QStringLiteral("Text FFFFFF on background FF0000"));
  main->vsbCOLOR[2].SetValue(0xC0);
  QTest::mouseClick(swatch, Qt::RightButton);
  EXPECT_EQ(swatch->accessibleDescription(), QStringLiteral("Text 080000 on background 0500C0"));
  EXPECT_TRUE(swatch->toolTip().startsWith(QStringLiteral("Text 080000 on background 0500C0\n")));
  EXPECT_TRUE(swatch->toolTip().contains(QStringLiteral("\nContrast ")));
  EXPECT_TRUE(Find("Picture1")->accessibleDescription().contains(QStringLiteral("0500C0")));
}

}  // namespace
}  // namespace window
