// The swatch palette: a right press stores the preview's pair, any other
// press recalls a swatch's pair; every press moves the marker.
#include "forms/colourword.h"
#include "window/layout.h"
#include "window_fixture.h"

namespace window {
namespace {

// A recall puts the pair in the preview and the target in the sliders; a
// reference recalled stays one unless a slider moves.
TEST_F(WindowTest, SwatchPressesStoreAndRecall) {
  main->vsbCOLOR[1].SetValue(0x80);
  PressSwatch(9, Qt::RightButton);
  EXPECT_EQ(main->lblSTORE[9].ForeColor(), forms::kSystemWindowText);
  EXPECT_EQ(main->lblSTORE[9].BackColor(), 0x00008005);
  EXPECT_EQ(Shown(), "back: 5 128 0 | 5 80 0 | 080000 058000 | 80000008 on 00008005");
  EXPECT_EQ(QPoint(main->shpSTOREMARK->Left(), main->shpSTOREMARK->Top()),
            QPoint(1110 - 45, 300 - 45));

  PressSwatch(1, Qt::LeftButton);  // white on 128, 64, 0
  EXPECT_EQ(Shown(), "back: 128 64 0 | 80 40 0 | FFFFFF 804000 | 00FFFFFF on 00004080");
  ChooseTarget(0);
  PressSwatch(10, Qt::MiddleButton);  // black on 255, 224, 192
  EXPECT_EQ(Shown(), "text: 0 0 0 | 0 0 0 | 000000 FFE0C0 | 00000000 on 00C0E0FF");
  PressSwatch(9, Qt::LeftButton);
  EXPECT_EQ(Shown(), "text: 8 0 0 | 8 0 0 | 080000 058000 | 00000008 on 00008005");
  PressSwatch(9, Qt::LeftButton);  // now no slider moves
  EXPECT_EQ(Shown(), "text: 8 0 0 | 8 0 0 | 080000 058000 | 80000008 on 00008005");
  EXPECT_EQ(main->lngTEXTCOLOR, forms::kSystemWindowText);
}

TEST_F(WindowTest, KeyboardMovesTheMarkerRecallsAndStores) {
  QWidget* palette = Find("Picture1");
  palette->setFocus(Qt::TabFocusReason);
  QTest::keyClick(palette, Qt::Key_Left);  // already at the left edge
  QTest::keyClick(palette, Qt::Key_Right);
  QTest::keyClick(palette, Qt::Key_Down);
  EXPECT_EQ(QPoint(main->shpSTOREMARK->Left(), main->shpSTOREMARK->Top()),
            QPoint(390 - 45, 300 - 45));
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

TEST_F(WindowTest, EveryControlHasAnAccessibleName) {
  for (const ControlRow& row : Layout()) {
    const QString name = QString::fromLatin1(row.name.data(), row.name.size());
    const QWidget* widget =
        Find(row.index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(row.index));
    ASSERT_NE(widget, nullptr);
    EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
  }
  EXPECT_EQ(Find("txtHEXCOLOR(0)")->accessibleName(), QStringLiteral("Red channel in hex"));
  EXPECT_EQ(Find("txtFINALHEX(0)")->accessibleName(), QStringLiteral("Text colour hex"));
}

TEST_F(WindowTest, SwatchDescriptionAndTooltipFollowItsColours) {
  QWidget* swatch = Find("lblSTORE(7)");
  EXPECT_EQ(swatch->accessibleName(), QStringLiteral("Swatch 8"));
  EXPECT_EQ(swatch->accessibleDescription(),
            QStringLiteral("Text FFFFFF on background FF0000, fails AA"));
  main->vsbCOLOR[2].SetValue(0xC0);
  QTest::mouseClick(swatch, Qt::RightButton);
  EXPECT_EQ(swatch->accessibleDescription(),
            QStringLiteral("Text 080000 on background 0500C0, fails AA"));
  EXPECT_TRUE(swatch->toolTip().startsWith(QStringLiteral("Text 080000 on background 0500C0\n")));
  EXPECT_TRUE(Find("Picture1")->accessibleDescription().contains(QStringLiteral("0500C0")));
}

}  // namespace
}  // namespace window
