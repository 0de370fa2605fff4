// What the window offers web authors beyond mixing colours: the contrast
// of a pair, judged by WCAG, and whole colours through the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QToolTip>

#include "colour/contrast.h"
#include "forms/colourword.h"
#include "window/main.h"
#include "window/texts.h"

namespace window {

QString Main::ContrastOf(colour::ColourWord fore, colour::ColourWord back) const {
  // A system-colour reference is judged by the colour it is drawn with.
  const QPalette& palette = QApplication::palette(txtEXAMPLE->widget());
  return QString::fromStdString(colour::ContrastSummary(
      colour::ContrastRatio(forms::DrawnWord(fore, palette), forms::DrawnWord(back, palette))));
}

void Main::ShowContrast() {
  const auto pair = std::pair(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
  if (contrastShown_ == pair) return;
  contrastShown_ = pair;
  const QString summary = ContrastOf(txtEXAMPLE->ForeColor(), txtEXAMPLE->BackColor());
  txtEXAMPLE->widget()->setToolTip(summary);
  txtEXAMPLE->widget()->setAccessibleDescription(QString(summary).replace(u'\n', u';'));
  for (std::int16_t i = 0; i < 2; ++i) txtFINALHEX[i].widget()->setToolTip(summary);
}

colour::ColourWord Main::FinalColour(std::int16_t Index) const {
  return Index == 0 ? txtEXAMPLE->ForeColor() : txtEXAMPLE->BackColor();
}

void Main::Form_Paste() {
  const QString text = QApplication::clipboard()->text();
  const auto word = colour::ParseCssColour(text.toStdString());
  QWidget* preview = txtEXAMPLE->widget();
  const QPoint at = preview->mapToGlobal(preview->rect().center());
  if (!word) {
    QToolTip::showText(at,
                       QStringLiteral("The clipboard holds no colour to paste: "
                                      "#RGB, #RRGGBB, RRGGBB or rgb(r, g, b)."),
                       preview);
    return;
  }
  // Through the sliders, so the handlers recolour the preview as a drag would.
  SetSliders(*word);
  const QString target =
      optITEM[0].Value() ? QStringLiteral("text colour") : QStringLiteral("background colour");
  QToolTip::showText(at, QStringLiteral("Pasted #%1 as the %2.").arg(FinalHex(*word), target),
                     preview);
}

}  // namespace window
