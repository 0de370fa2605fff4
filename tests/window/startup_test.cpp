// Start-up and shutdown: the palette file, the fixed texts, and the version
// label's notice.
#include <QFile>

#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

const QString kExample = QStringLiteral("\r\nThis is an\r\nExample.");

palette::Record Pair(std::uint32_t fore, std::uint32_t back) {
  return {static_cast<std::int32_t>(fore), static_cast<std::int32_t>(back)};
}

// A first start shows the design's texts and writes nothing; the close saves
// the swatches and the preview, references kept, and the next start shows
// them again, the sliders on the background.
TEST_F(WindowTest, WhatTheCloseSavesTheNextStartShows) {
  EXPECT_EQ(main->txtEXAMPLE->Text(), kExample);
  EXPECT_EQ(main->lblVERSION->Caption(), QStringLiteral("Version 0.2i"));
  EXPECT_EQ(main->lblLASTDATE->Caption(), QStringLiteral("3/14/2012"));
  EXPECT_FALSE(QFile::exists(PalettePath()));
  PressSwatch(4, Qt::RightButton);  // the first state's pair
  ChooseTarget(0);
  main->vsbCOLOR[0].SetValue(0x11);
  ChooseTarget(1);
  main->vsbCOLOR[2].SetValue(0x66);
  Close();
  const auto saved = palette::PaletteFile(PalettePath(), {}).Load().records;
  EXPECT_EQ(saved[0], Pair(0x00000000, 0x00C0C0C0));
  EXPECT_EQ(saved[1], Pair(0x00FFFFFF, 0x00004080));
  EXPECT_EQ(saved[4], Pair(0x80000008, 0x00000005));
  EXPECT_EQ(saved[23], Pair(0x00000000, 0x00FFFFFF));
  EXPECT_EQ(saved[24], Pair(0x00000011, 0x00660005)) << "the preview";
  EXPECT_TRUE(messages.isEmpty());

  Start();
  EXPECT_EQ(Shown(), "back: 5 0 102 | 5 0 66 | 110000 050066 | 00000011 on 00660005");
  EXPECT_EQ(main->lblSTORE[4].ForeColor(), forms::kSystemWindowText);
  EXPECT_EQ(main->lblSTORE[4].BackColor(), 0x00000005);
}

// The sliders start at 0: only a slider the first state moves makes the
// background a plain colour word.
TEST_F(WindowTest, FirstStateRecoloursTheBackgroundOnlyThroughSlidersItMoves) {
  for (const auto& [saved, shown] :
       {std::pair{0x80000000u, 0x80000000u}, std::pair{0xFFFFFFFFu, 0x00FFFFFFu}}) {
    palette::Records records{};
    records[palette::kPreviewRecord - 1].back = static_cast<std::int32_t>(saved);
    ASSERT_TRUE(palette::PaletteFile(PalettePath(), {}).Save(records).problem.isEmpty());
    Start();
    EXPECT_EQ(static_cast<std::uint32_t>(main->txtEXAMPLE->BackColor()), shown);
  }
}

TEST_F(WindowTest, VersionLabelShowsTheNoticeWhileHeld) {
  QWidget* version = Find("lblVERSION");
  QTest::mousePress(version, Qt::LeftButton);
  const QString notice = main->txtEXAMPLE->Text();
  EXPECT_NE(notice, kExample);
  EXPECT_FALSE(notice.contains(u'\n')) << "one line";
  QTest::mouseRelease(version, Qt::LeftButton);
  EXPECT_EQ(main->txtEXAMPLE->Text(), kExample) << "with its empty first line";
}

}  // namespace
}  // namespace window
