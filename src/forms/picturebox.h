// PictureBox: a panel with a flat one-pixel border that contains other
// controls. Its children are placed in, and clipped by, the inside of the
// border, as the design measures them.
#pragma once

#include "forms/control.h"

namespace forms {

class PictureBox : public Control {
 public:
  PictureBox(QWidget* container, const TwipsRect& place, colour::ColourWord backColor);

  // The widget the panel's controls are created in.
  QWidget* Inside() const { return inside_; }

 private:
  // The inside is painted once from the design; the panel is never recoloured.
  using Control::SetBackColor;
  using Control::SetForeColor;

  QWidget* inside_;
};

}  // namespace forms
