// What web authors get besides the design: the contrast of a pair, the copy
// formats of the final hex boxes and pasting a whole colour.
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QToolTip>

#include "colour/contrast.h"
#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

class WebAuthorTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Start();
  }

  QString PreviewTip() const { return Find("txtEXAMPLE")->toolTip(); }

  void Recall(int swatch) {
    QTest::mouseClick(Find(QStringLiteral("lblSTORE(%1)").arg(swatch).toLatin1().constData()),
                      Qt::LeftButton);
  }

  void SetTarget(int red, int green, int blue) {
    main->vsbCOLOR[0].SetValue(static_cast<std::int16_t>(red));
    main->vsbCOLOR[1].SetValue(static_cast<std::int16_t>(green));
    main->vsbCOLOR[2].SetValue(static_cast<std::int16_t>(blue));
  }

  // Opens a final hex box's context menu and chooses `caption`.
  void ChooseFromMenu(const char* box, const QString& caption) {
    QWidget* widget = Find(box);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->text() == caption) chosen = action;
    }
    ASSERT_NE(chosen, nullptr) << caption.toStdString();
    chosen->trigger();
    menu->close();
  }

  void PasteOnTheWindow(const QString& text) {
    QApplication::clipboard()->setText(text);
    QWidget* slider = Find("vsbCOLOR(1)");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_V, Qt::ControlModifier);
  }
};

TEST_F(WebAuthorTest, PreviewContrastFollowsRecallsAndSliders) {
  Recall(18);  // black on white
  EXPECT_TRUE(PreviewTip().startsWith(QStringLiteral("Contrast 21.00:1")));
  EXPECT_TRUE(PreviewTip().contains(QStringLiteral("Normal text: AA pass, AAA pass")));
  QTest::mouseClick(Find("optITEM(0)"), Qt::LeftButton);
  SetTarget(0x77, 0x77, 0x77);
  EXPECT_TRUE(PreviewTip().startsWith(QStringLiteral("Contrast 4.48:1")));
  EXPECT_TRUE(PreviewTip().contains(QStringLiteral("Normal text: AA fail, AAA fail")));
  EXPECT_TRUE(PreviewTip().contains(QStringLiteral("Large text: AA pass, AAA fail")));
  SetTarget(0x76, 0x76, 0x76);
  EXPECT_TRUE(PreviewTip().contains(QStringLiteral("Normal text: AA pass")));
  EXPECT_EQ(Find("txtFINALHEX(0)")->toolTip(), PreviewTip());
  EXPECT_TRUE(
      Find("txtEXAMPLE")->accessibleDescription().startsWith(QStringLiteral("Contrast 4.54:1;")));
}

TEST_F(WebAuthorTest, FinalHexMenusCopyEachFormat) {
  Recall(1);  // white on 128, 64, 0
  ChooseFromMenu("txtFINALHEX(1)", QStringLiteral("Copy #RRGGBB"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("#804000"));
  ChooseFromMenu("txtFINALHEX(1)", QStringLiteral("Copy rgb()"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("rgb(128, 64, 0)"));
  ChooseFromMenu("txtFINALHEX(0)", QStringLiteral("Copy rgb()"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("rgb(255, 255, 255)"));
  ChooseFromMenu("txtFINALHEX(0)", QStringLiteral("Copy CSS pair"));
  EXPECT_EQ(QApplication::clipboard()->text(),
            QStringLiteral("color: #FFFFFF;\nbackground-color: #804000;"));
}

TEST_F(WebAuthorTest, PastingAWholeColourSetsTheTargetThroughTheSliders) {
  const std::pair<QString, colour::ColourWord> forms[] = {
      {QStringLiteral("#4080C0"), 0x00C08040},
      {QStringLiteral("#F80"), 0x000088FF},
      {QStringLiteral("102030"), 0x00302010},
      {QStringLiteral("rgb(1, 2, 3)"), 0x00030201},
  };
  for (const auto& [text, word] : forms) {
    PasteOnTheWindow(text);
    EXPECT_EQ(main->txtEXAMPLE->BackColor(), word) << text.toStdString();
    EXPECT_EQ(main->txtHEXCOLOR[0].Text().toStdString(),
              colour::ChannelHexText(colour::ColorPart(word, 0)));
  }
  PasteOnTheWindow(QStringLiteral("not a colour"));
  EXPECT_EQ(main->txtEXAMPLE->BackColor(), 0x00030201) << "ignored";
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("no colour")));
  EXPECT_EQ(main->txtEXAMPLE->ForeColor(), static_cast<colour::ColourWord>(0x80000008));
}

TEST_F(WindowTest, SystemColoursAreJudgedAsDrawn) {
  // A swatch holding the platform's window text on window background: drawn
  // as the palette's text and base colours, not as the words' low bytes.
  palette::Records records{};
  records[0] = {static_cast<std::int32_t>(0x80000008), static_cast<std::int32_t>(0x80000005)};
  for (std::size_t n = 1; n < records.size(); ++n) records[n] = {0x00FFFFFF, 0x00000000};
  ASSERT_TRUE(palette::PaletteFile(PalettePath(), {}).Save(records).problem.isEmpty());
  Start();
  const QPalette standard = QApplication::palette(Find("txtEXAMPLE"));
  const double drawn = colour::ContrastRatio(
      forms::DrawnWord(static_cast<colour::ColourWord>(0x80000008), standard),
      forms::DrawnWord(static_cast<colour::ColourWord>(0x80000005), standard));
  ASSERT_GT(drawn, 3.0) << "the platform draws its window text readably";
  const QString expected = QStringLiteral("Contrast %1:1").arg(drawn, 0, 'f', 2);
  EXPECT_TRUE(Find("lblSTORE(0)")->toolTip().contains(expected))
      << Find("lblSTORE(0)")->toolTip().toStdString();
}

}  // namespace
}  // namespace window
