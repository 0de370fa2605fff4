#include "forms/vscrollbar.h"

#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "forms/colourword.h"

namespace forms {

class VScrollBar::BarWidget : public QScrollBar {
 public:
  explicit BarWidget(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFocusPolicy(Qt::StrongFocus);
  }
};

VScrollBar::VScrollBar(QWidget* container, const TwipsRect& place, const ScrollRange& range)
    : Control(new BarWidget(container), place, QPalette::WindowText, QPalette::Window,
              kSystemButtonText, kSystemButtonFace),
      bar_(static_cast<QScrollBar*>(widget())),
      range_(range),
      reportedValue_(range.min) {
  bar_->setRange(0, std::abs(range_.max - range_.min));
  bar_->setSingleStep(range_.smallChange);
  bar_->setPageStep(range_.largeChange);
  bar_->setValue(PositionOf(range_.min));
  QObject::connect(bar_, &QScrollBar::valueChanged, bar_, [this] { PositionChanged(); });
  QObject::connect(bar_, &QScrollBar::sliderReleased, bar_, [this] { Released(); });
}

VScrollBar::~VScrollBar() {
  if (widget()) QObject::disconnect(bar_, nullptr, bar_, nullptr);
}

int VScrollBar::PositionOf(std::int16_t value) const {
  return range_.max >= range_.min ? value - range_.min : range_.min - value;
}

std::int16_t VScrollBar::Value() const {
  const int position = bar_->value();
  return static_cast<std::int16_t>(range_.max >= range_.min ? range_.min + position
                                                            : range_.min - position);
}

void VScrollBar::SetValue(std::int16_t value) {
  const auto [low, high] = std::minmax(range_.min, range_.max);
  value = std::clamp(value, low, high);
  if (value == Value()) return;
  assigning_ = true;
  bar_->setValue(PositionOf(value));
  assigning_ = false;
}

void VScrollBar::PositionChanged() {
  if (bar_->isSliderDown() && !assigning_) return Raise(onScroll);
  reportedValue_ = Value();
  Raise(onChange);
}

void VScrollBar::Released() {
  if (Value() == reportedValue_) return;
  reportedValue_ = Value();
  Raise(onChange);
}

}  // namespace forms
