#include "forms/vscrollbar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "forms/colourword.h"

namespace forms {

namespace {

// Qt's position, counted from the top, of `value` in `range`, and back.
int PositionIn(const ScrollRange& range, std::int16_t value) {
  return range.max >= range.min ? value - range.min : range.min - value;
}

std::int16_t ValueIn(const ScrollRange& range, int position) {
  return static_cast<std::int16_t>(range.max >= range.min ? range.min + position
                                                          : range.min - position);
}

std::int16_t Clamped(const ScrollRange& range, std::int16_t value) {
  const auto [low, high] = std::minmax(range.min, range.max);
  return std::clamp(value, low, high);
}

class BarWidget final : public QScrollBar {
 public:
  BarWidget(QWidget* parent, const ScrollRange& range)
      : QScrollBar(Qt::Vertical, parent), range(range) {
    setFocusPolicy(Qt::StrongFocus);
  }
  std::int16_t Value() const { return ValueIn(range, value()); }

  const ScrollRange range;
};

// The bar as assistive tools see it: a slider whose value is the bar's
// Value, the number the program shows for it. Qt's own interface would give
// the position, which counts from the top: 250 for a Value of 5 when 255 is
// at the top. Qt announces every change itself (QAbstractSlider::setValue
// raises a value-change event); the platform bridges then read the value
// from here, so announcing it again would say each step twice.
class AccessibleBar final : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit AccessibleBar(BarWidget* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return QString::number(Bar()->Value());
    return QAccessibleWidget::text(kind);
  }

  QVariant currentValue() const override { return int{Bar()->Value()}; }
  // A tool's setting moves the bar as a key would, raising Change.
  void setCurrentValue(const QVariant& value) override {
    const ScrollRange& range = Bar()->range;
    const int wanted = std::clamp(value.toInt(), -32768, 32767);
    Bar()->setValue(PositionIn(range, Clamped(range, static_cast<std::int16_t>(wanted))));
  }
  QVariant maximumValue() const override {
    return int{std::max(Bar()->range.min, Bar()->range.max)};
  }
  QVariant minimumValue() const override {
    return int{std::min(Bar()->range.min, Bar()->range.max)};
  }
  QVariant minimumStepSize() const override { return int{Bar()->range.smallChange}; }

 private:
  BarWidget* Bar() const { return static_cast<BarWidget*>(widget()); }
};

QAccessibleInterface* AccessibleBarFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QScrollBar")) return nullptr;
  auto* bar = dynamic_cast<BarWidget*>(object);
  return bar ? new AccessibleBar(bar) : nullptr;
}

}  // namespace

VScrollBar::VScrollBar(QWidget* container, const TwipsRect& place, const ScrollRange& range)
    : Control(new BarWidget(container, range), place, QPalette::WindowText, QPalette::Window,
              kSystemButtonText, kSystemButtonFace),
      bar_(static_cast<QScrollBar*>(widget())),
      range_(range),
      reportedValue_(range.min) {
  // Installed after the application's own factories, so asked before them.
  static const bool installed = [] {
    QAccessible::installFactory(&AccessibleBarFactory);
    return true;
  }();
  (void)installed;
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
  return PositionIn(range_, value);
}

std::int16_t VScrollBar::Value() const {
  return ValueIn(range_, bar_->value());
}

void VScrollBar::SetValue(std::int16_t value) {
  value = Clamped(range_, value);
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
