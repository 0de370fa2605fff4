#include "forms/optionbutton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QProxyStyle>
#include <QRadioButton>

#include "forms/colourword.h"

namespace forms {

namespace {

// The design leaves a few pixels between the circle and the caption, where
// Qt's styles leave twice as many and would cut the caption's end off.
class CompactOptionStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_RadioButtonLabelSpacing) return 3;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

QStyle* OptionStyle() {
  static QStyle* const style = [] {
    auto* compact = new CompactOptionStyle;
    compact->setParent(qApp);  // lives as long as the application
    return compact;
  }();
  return style;
}

}  // namespace

class OptionButton::RadioWidget : public QRadioButton {
 public:
  RadioWidget(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {
    setStyle(OptionStyle());
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    // Qt tabs onto the option that last had the focus; the group's stop is
    // the chosen option.
    const bool tabbed =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (tabbed && !isChecked()) {
      const auto siblings = parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
      for (QRadioButton* sibling : siblings) {
        if (sibling->isChecked()) return sibling->setFocus(event->reason());
      }
    }
    QRadioButton::focusInEvent(event);
  }
};

OptionButton::OptionButton(QWidget* container, const TwipsRect& place, const QString& caption)
    : Control(new RadioWidget(caption, container), place, QPalette::WindowText, QPalette::Window,
              kSystemButtonText, kSystemButtonFace),
      radio_(static_cast<QRadioButton*>(widget())) {
  QObject::connect(radio_, &QRadioButton::toggled, radio_, [this](bool chosen) {
    if (chosen) Raise(onClick);
  });
}

OptionButton::~OptionButton() {
  if (widget()) QObject::disconnect(radio_, nullptr, radio_, nullptr);
}

bool OptionButton::Value() const {
  return radio_->isChecked();
}

void OptionButton::SetValue(bool chosen) {
  radio_->setChecked(chosen);
}

}  // namespace forms
