#include "forms/drawfilter.h"

#include <algorithm>

#include "forms/control.h"

namespace forms {

DrawFilter::~DrawFilter() {
  for (Control* control : controls_) control->filter_ = nullptr;
}

void DrawFilter::Attach(Control& control) {
  if (control.filter_) control.filter_->Detach(control);
  control.filter_ = this;
  controls_.push_back(&control);
  if (transform_) control.Redraw();
}

void DrawFilter::SetTransform(Transform transform) {
  transform_ = std::move(transform);
  for (Control* control : controls_) control->Redraw();
}

QColor DrawFilter::Apply(const QColor& colour) const {
  if (!transform_) return colour;
  const colour::ColourWord drawn = transform_(colour::RGB(
      static_cast<colour::Channel>(colour.red()), static_cast<colour::Channel>(colour.green()),
      static_cast<colour::Channel>(colour.blue())));
  return {colour::ColorPart(drawn, 0), colour::ColorPart(drawn, 1), colour::ColorPart(drawn, 2)};
}

void DrawFilter::Detach(Control& control) {
  std::erase(controls_, &control);
  control.filter_ = nullptr;
}

}  // namespace forms
