// Start-up and shutdown: the guard, the palette file, the fixed texts, and
// the version label's notice.
#include <QFile>
#include <QtEndian>

#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

const QString kExample = QStringLiteral("\r\nThis is an\r\nExample.");

class StartupTest : public WindowTest {
 protected:
  // The words of the palette file at `path`, record by record.
  static std::vector<std::pair<std::uint32_t, std::uint32_t>> Words(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), 200);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
    for (qsizetype at = 0; at + 8 <= bytes.size(); at += 8) {
      words.emplace_back(qFromLittleEndian<std::uint32_t>(bytes.constData() + at),
                         qFromLittleEndian<std::uint32_t>(bytes.constData() + at + 4));
    }
    return words;
  }
};

TEST_F(StartupTest, FirstStartShowsTheDesignAndClosingWritesThePalette) {
  Start();
  EXPECT_EQ(main->txtEXAMPLE->Text(), kExample);
  EXPECT_EQ(main->lblVERSION->Caption(), QStringLiteral("Version 0.2i"));
  EXPECT_EQ(main->lblLASTDATE->Caption(), QStringLiteral("3/14/2012"));
  EXPECT_EQ(main->strCFGPATH, PalettePath());
  EXPECT_FALSE(QFile::exists(PalettePath()));
  Close();
  const auto words = Words(PalettePath());
  ASSERT_EQ(words.size(), 25u);
  EXPECT_EQ(words[0], std::make_pair(0x00000000u, 0x00C0C0C0u));
  EXPECT_EQ(words[1], std::make_pair(0x00FFFFFFu, 0x00004080u));
  EXPECT_EQ(words[23], std::make_pair(0x00000000u, 0x00FFFFFFu));
  EXPECT_EQ(words[24], std::make_pair(0x80000008u, 0x00000005u)) << "the preview, reference kept";
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(StartupTest, NextStartBringsBackWhatTheLastOneShowedAtExit) {
  Start();
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  main->vsbCOLOR[0].SetValue(0x11);  // text colour 0x00000011
  QTest::mouseClick(Find("optITEM(1)"), Qt::LeftButton);
  main->vsbCOLOR[2].SetValue(0x66);  // background 0x00660005
  QTest::mouseClick(Find("lblSTORE(4)"), Qt::RightButton);
  Close();
  main.reset();

  Start();
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), 0x00000011);
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00660005);
  EXPECT_EQ(main->lblSTORE[4].ForeColor(), 0x00000011);
  EXPECT_EQ(main->lblSTORE[4].BackColor(), 0x00660005);
  EXPECT_EQ(main->vsbCOLOR[0].Value(), 5) << "the sliders start on the background";
  EXPECT_EQ(main->vsbCOLOR[2].Value(), 0x66);
  EXPECT_EQ(main->txtFINALHEX[0].Text(), QStringLiteral("110000"));
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("050066"));
}

// The sliders start at 0: only a slider the first state moves makes the
// background a plain colour word.
TEST_F(StartupTest, FirstStateRecoloursTheBackgroundOnlyThroughSlidersItMoves) {
  for (const auto& [saved, shown] :
       {std::pair{0x80000000u, 0x80000000u}, std::pair{0xFFFFFFFFu, 0x00FFFFFFu}}) {
    palette::Records records{};
    records[palette::kPreviewRecord - 1].back = static_cast<std::int32_t>(saved);
    ASSERT_TRUE(palette::PaletteFile(PalettePath(), {}).Save(records).problem.isEmpty());
    main.reset();
    Load();
    EXPECT_EQ(static_cast<std::uint32_t>(main->txtEXAMPLE->BackColor()), shown);
  }
}

TEST_F(StartupTest, VersionLabelShowsTheNoticeWhileHeld) {
  Start();
  QWidget* version = Find("lblVERSION");
  QTest::mousePress(version, Qt::LeftButton);
  const QString notice = main->txtEXAMPLE->Text();
  EXPECT_NE(notice, kExample);
  EXPECT_FALSE(notice.contains(u'\n')) << "one line";
  QTest::mouseRelease(version, Qt::LeftButton);
  EXPECT_EQ(main->txtEXAMPLE->Text(), kExample) << "with its empty first line";
  EXPECT_EQ(main->txtFINALHEX[1].Text(), QStringLiteral("050000"));
}

TEST_F(StartupTest, RunningCopyIsActivatedAndThisOneEndsBeforeLoading) {
  app.SetPrevInstance(true);
  finder.runningTitle = QStringLiteral("Huvenor");
  EXPECT_THROW(Load(), Ended);
  EXPECT_EQ(finder.activations, 1);
  EXPECT_EQ(app.Title(), QStringLiteral("unwanted instance"));
  EXPECT_EQ(finder.searchedFor.value(0), QStringLiteral("Huvenor"));
  EXPECT_FALSE(QFile::exists(PalettePath()));
}

}  // namespace
}  // namespace window
