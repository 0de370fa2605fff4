// Shape: a filled rectangle with a one-pixel outline. It has no window of its
// own in the design, so it takes no focus and no mouse events, and it lies
// beneath the other controls of its container.
#pragma once

#include "forms/control.h"

namespace forms {

struct ShapeStyle {
  colour::ColourWord fillColor = 0x00FFFFFF;
  colour::ColourWord borderColor = 0x00000000;
};

class Shape : public Control {
 public:
  Shape(QWidget* container, const TwipsRect& place, const ShapeStyle& style);
};

}  // namespace forms
