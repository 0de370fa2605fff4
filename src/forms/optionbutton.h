// OptionButton: a radio button; the options of one container exclude each
// other. Click is raised when the option becomes the chosen one (by mouse,
// keys or an assignment of Value), after the other option's Value has turned
// false. The options of a container are one tab stop, and Tab lands on the
// chosen one.
#pragma once

#include <QString>

#include "forms/control.h"

class QRadioButton;

namespace forms {

class OptionButton : public Control {
 public:
  OptionButton(QWidget* container, const TwipsRect& place, const QString& caption);
  ~OptionButton() override;

  bool Value() const;
  void SetValue(bool chosen);

  std::function<void()> onClick;

 private:
  class RadioWidget;
  QRadioButton* radio_;
};

}  // namespace forms
