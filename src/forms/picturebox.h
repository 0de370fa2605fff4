// PictureBox: a panel with a flat one-pixel border that contains other
// controls. Its children are placed in, and clipped by, the inside of the
// border, as the design measures them. It takes the focus, shows it in its
// border, and reports the keys pressed while it has it.
#pragma once

#include "forms/control.h"

namespace forms {

// Key codes of the KeyDown event for the keys a panel reports.
enum KeyCode : std::int16_t {
  kKeyReturn = 13,
  kKeySpace = 32,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
};

class PictureBox : public Control {
 public:
  PictureBox(QWidget* container, const TwipsRect& place, colour::ColourWord backColor);
  ~PictureBox() override;

  // The widget the panel's controls are created in.
  QWidget* Inside() const { return inside_; }

  // KeyCode as above; Shift 1 for Shift, 2 for Ctrl, 4 for Alt.
  std::function<void(std::int16_t keyCode, std::int16_t shift)> onKeyDown;

 private:
  class PanelWidget;

  // The inside is painted once from the design; the panel is never recoloured.
  using Control::SetBackColor;
  using Control::SetColors;
  using Control::SetForeColor;

  PanelWidget* panel_;
  QWidget* inside_;
};

}  // namespace forms
