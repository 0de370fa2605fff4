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

}  // namespace forms
