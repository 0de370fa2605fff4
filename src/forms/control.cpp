#include "forms/control.h"

#include <QApplication>
#include <QMouseEvent>

#include "forms/colourword.h"
#include "forms/drawfilter.h"

namespace forms {

Control::Control(QWidget* widget, const TwipsRect& place, QPalette::ColorRole foreRole,
                 QPalette::ColorRole backRole, colour::ColourWord standardFore,
                 colour::ColourWord standardBack)
    : widget_(widget),
      left_(place.left),
      top_(place.top),
      width_(place.width),
      height_(place.height),
      foreRole_(foreRole),
      backRole_(backRole),
      foreColor_(standardFore),
      backColor_(standardBack) {
  widget_->setGeometry(ToPixels(place));
}

Control::~Control() {
  if (filter_) filter_->Detach(*this);
}

void Control::SetLeft(int twips) {
  left_ = twips;
  widget_->move(TwipsToPixels(left_), TwipsToPixels(top_));
}

void Control::SetTop(int twips) {
  top_ = twips;
  widget_->move(TwipsToPixels(left_), TwipsToPixels(top_));
}

void Control::SetColors(colour::ColourWord fore, colour::ColourWord back) {
  if (fore == foreColor_ && back == backColor_) return;
  backColorSet_ = backColorSet_ || back != backColor_;
  foreColor_ = fore;
  backColor_ = back;
  ShowColours();
}

void Control::ShowColours() {
  QPalette palette = widget_->palette();
  Paint(palette, foreRole_, foreColor_);
  Paint(palette, backRole_, backColor_);
  if (backColorSet_) widget_->setAutoFillBackground(true);
  widget_->setPalette(palette);
}

void Control::SetFont(const QFont& font) {
  widget_->setFont(font);
}

QColor Control::Drawn(colour::ColourWord word) const {
  // System references resolve against the kind's own standard palette, so a
  // reference looks exactly like the control's untouched colour.
  const QColor drawn = DrawnColour(word, QApplication::palette(widget_));
  return filter_ ? filter_->Apply(drawn) : drawn;
}

void Control::Paint(QPalette& palette, QPalette::ColorRole role, colour::ColourWord word) const {
  const QColor drawn = Drawn(word);
  palette.setColor(QPalette::Active, role, drawn);
  palette.setColor(QPalette::Inactive, role, drawn);
  palette.setColor(QPalette::Disabled, role, drawn);
}

void Control::Redraw() {
  if (widget_) ShowColours();  // else the window, and the widget with it, is gone
}

std::int16_t Control::ShiftOf(Qt::KeyboardModifiers modifiers) {
  std::int16_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return shift;
}

MouseEventArgs Control::MouseArgs(const QMouseEvent& event) {
  std::int16_t button = 0;
  switch (event.button()) {
    case Qt::LeftButton:
      button = static_cast<std::int16_t>(MouseButton::Left);
      break;
    case Qt::RightButton:
      button = static_cast<std::int16_t>(MouseButton::Right);
      break;
    case Qt::MiddleButton:
      button = static_cast<std::int16_t>(MouseButton::Middle);
      break;
    default:
      break;
  }
  const QPointF at = event.position();
  return {button, ShiftOf(event.modifiers()), static_cast<float>(at.x() * kTwipsPerPixel),
          static_cast<float>(at.y() * kTwipsPerPixel)};
}

}  // namespace forms
