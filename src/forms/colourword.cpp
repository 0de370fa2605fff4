#include "forms/colourword.h"

namespace forms {

QColor DrawnColour(colour::ColourWord word, const QPalette& palette) {
  switch (word) {
    case kSystemWindow:
      return palette.color(QPalette::Active, QPalette::Base);
    case kSystemWindowText:
      return palette.color(QPalette::Active, QPalette::Text);
    case kSystemButtonFace:
      return palette.color(QPalette::Active, QPalette::Window);
    case kSystemButtonText:
      return palette.color(QPalette::Active, QPalette::WindowText);
    default:
      return QColor(colour::ColorPart(word, 0), colour::ColorPart(word, 1),
                    colour::ColorPart(word, 2));
  }
}

colour::ColourWord DrawnWord(colour::ColourWord word, const QPalette& palette) {
  const QColor drawn = DrawnColour(word, palette);
  return colour::RGB(static_cast<colour::Channel>(drawn.red()),
                     static_cast<colour::Channel>(drawn.green()),
                     static_cast<colour::Channel>(drawn.blue()));
}

}  // namespace forms
