// What web authors get besides the design: the contrast of a pair, the copy
// formats of the final hex boxes and pasting a whole colour. The contrast
// figures and the colour texts themselves are the colour core's tests.
#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <tuple>

#include "colour/contrast.h"
#include "forms/colourword.h"
#include "window_fixture.h"

namespace window {
namespace {

// The contrast of a pair follows recalls and slider moves. A pair of
// system-colour references is judged by the colours the palette draws them
// with, not by the words' low bytes.
TEST_F(WindowTest, ContrastFollowsThePairAsDrawn) {
  main->txtEXAMPLE->SetBackColor(forms::kSystemWindow);
  PressSwatch(0, Qt::RightButton);
  QWidget* preview = Find("txtEXAMPLE");
  const QPalette standard = QApplication::palette(preview);
  const double drawn = colour::ContrastRatio(forms::DrawnWord(forms::kSystemWindowText, standard),
                                             forms::DrawnWord(forms::kSystemWindow, standard));
  ASSERT_GT(drawn, 3.0) << "the platform draws its window text readably";
  const QString tip = Find("lblSTORE(0)")->toolTip();
  EXPECT_TRUE(tip.contains(QStringLiteral("Contrast %1:1").arg(drawn, 0, 'f', 2)))
      << tip.toStdString();

  PressSwatch(18, Qt::LeftButton);  // black on white
  EXPECT_TRUE(preview->toolTip().startsWith(QStringLiteral("Contrast 21.00:1\n")));
  ChooseTarget(0);
  for (std::int16_t i = 0; i < 3; ++i) main->vsbCOLOR[i].SetValue(0x76);
  EXPECT_TRUE(preview->accessibleDescription().startsWith(QStringLiteral("Contrast 4.54:1;")));
  EXPECT_TRUE(preview->toolTip().startsWith(QStringLiteral("Contrast 4.54:1\n")));
  // As a tip shows, each box adds its own colour's CSS forms, the preview both.
  const QString summary = preview->toolTip();
  for (const char* name : {"txtEXAMPLE", "txtFINALHEX(0)", "txtFINALHEX(1)"}) {
    QHelpEvent help(QEvent::ToolTip, {5, 5}, Find(name)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Find(name), &help);
  }
  EXPECT_TRUE(preview->toolTip().endsWith(
      QStringLiteral("\nBackground: hsl(none 0% 100%), oklch(100% 0 none)")));
  EXPECT_EQ(Find("txtFINALHEX(1)")->toolTip(),
            summary + QStringLiteral("\nhsl(none 0% 100%), oklch(100% 0 none)"));
  EXPECT_TRUE(Find("txtFINALHEX(0)")->toolTip().startsWith(summary + QStringLiteral("\nhsl(")));
}

TEST_F(WindowTest, FinalHexMenusCopyEachFormat) {
  PressSwatch(1, Qt::LeftButton);  // white on 128, 64, 0
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"txtFINALHEX(1)", "Copy #RRGGBB", "#804000"},
      {"txtFINALHEX(1)", "Copy rgb()", "rgb(128, 64, 0)"},
      {"txtFINALHEX(0)", "Copy rgb()", "rgb(255, 255, 255)"},
      {"txtFINALHEX(0)", "Copy hsl()", "hsl(none 0% 100%)"},
      {"txtFINALHEX(0)", "Copy oklch()", "oklch(100% 0 none)"},
      {"txtFINALHEX(0)", "Copy CSS pair", "color: #FFFFFF;\nbackground-color: #804000;"},
  };
  for (const auto& [box, caption, copied] : rows) {
    QWidget* widget = Find(box);
    QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (action->text() == QLatin1String(caption)) action->trigger();
    }
    menu->close();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(copied)) << box << caption;
  }
}

// Ctrl+V outside the channel boxes sets the target through the sliders and
// says when the colour was mapped into sRGB; a text that is refused changes
// nothing and the tip says why.
TEST_F(WindowTest, PastingAWholeColourSetsTheTarget) {
  Paste("vsbCOLOR(1)", QStringLiteral("oklch(62.8% 0.2577 29.23)"));
  EXPECT_EQ(Shown(), "back: 255 0 0 | FF 0 0 | 080000 FF0000 | 80000008 on 000000FF");
  EXPECT_FALSE(QToolTip::text().contains(QStringLiteral("sRGB")));
  Paste("vsbCOLOR(1)", QStringLiteral("color(display-p3 0 0.8 0.2)"));
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("outside sRGB")));
  Paste("vsbCOLOR(1)", QStringLiteral("#4080C0"));
  Paste("vsbCOLOR(1)", QStringLiteral("#11223380"));
  EXPECT_EQ(Shown(), "back: 64 128 192 | 40 80 C0 | 080000 4080C0 | 80000008 on 00C08040");
  EXPECT_EQ(QToolTip::text(),
            QStringLiteral("Huvenor's colours are opaque: #11223380 has 50% alpha."));
}

}  // namespace
}  // namespace window
