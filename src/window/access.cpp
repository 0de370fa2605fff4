// The palette for keyboard users and assistive tools: keys that do what the
// mouse does on a swatch, and a description of the pair each swatch holds.
#include <algorithm>

#include "colour/contrast.h"
#include "forms/sendkeys.h"
#include "window/layout.h"
#include "window/main.h"
#include "window/texts.h"

namespace window {

namespace {

constexpr std::int16_t kLeftButton = static_cast<std::int16_t>(forms::MouseButton::Left);
constexpr std::int16_t kRightButton = static_cast<std::int16_t>(forms::MouseButton::Right);

}  // namespace

void Main::Picture1_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
  // The palette has no keys of its own in the design; these give a keyboard
  // user what the mouse does: arrows move the marker, Enter or Space recall
  // the marked swatch like a left press, Ctrl+Enter or Insert store into it
  // like a right press.
  const std::int16_t marked = MarkedSwatch();
  const int row = marked / kSwatchColumns;
  const int column = marked % kSwatchColumns;
  const int rows = kSwatchCount / kSwatchColumns;
  const auto to = [](int r, int c) { return static_cast<std::int16_t>(r * kSwatchColumns + c); };
  constexpr std::int16_t kCtrl = 2;
  switch (KeyCode) {
    case forms::kKeyLeft:
      return MarkSwatch(to(row, std::max(column - 1, 0)));
    case forms::kKeyRight:
      return MarkSwatch(to(row, std::min(column + 1, kSwatchColumns - 1)));
    case forms::kKeyUp:
      return MarkSwatch(to(std::max(row - 1, 0), column));
    case forms::kKeyDown:
      return MarkSwatch(to(std::min(row + 1, rows - 1), column));
    case forms::kKeyInsert:
      return lblSTORE_MouseDown(marked, kRightButton, Shift, 0, 0);
    case forms::kKeyReturn:
    case forms::kKeySpace: {
      const std::int16_t button = (Shift & kCtrl) != 0 ? kRightButton : kLeftButton;
      return lblSTORE_MouseDown(marked, button, Shift, 0, 0);
    }
    default:
      return;
  }
}

void Main::DescribeSwatch(std::int16_t Index) {
  forms::Label& swatch = lblSTORE[Index];
  const QString pair = QStringLiteral("Text %1 on background %2")
                           .arg(FinalHex(swatch.ForeColor()), FinalHex(swatch.BackColor()));
  // The tooltip's verdict for normal text, short enough to be read in passing.
  const bool passes = colour::Judge(DrawnContrast(swatch.ForeColor(), swatch.BackColor())).normalAA;
  swatch.widget()->setAccessibleDescription(
      pair + (passes ? QStringLiteral(", AA pass") : QStringLiteral(", fails AA")));
  swatch.widget()->setToolTip(pair + u'\n' + ContrastOf(swatch.ForeColor(), swatch.BackColor()));
  PairChanged(static_cast<std::size_t>(Index));
  if (Index == MarkedSwatch()) MarkSwatch(Index);
}

}  // namespace window
