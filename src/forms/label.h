// Label: static text that never takes the focus, with an optional flat
// one-pixel border, and MouseDown/MouseUp events.
#pragma once

#include <QString>

#include "forms/control.h"

class QLabel;

namespace forms {

enum class Border { None, FlatSingle };

struct LabelStyle {
  Qt::Alignment alignment = Qt::AlignLeft;
  Border border = Border::None;
};

class Label : public Control {
 public:
  Label(QWidget* container, const TwipsRect& place, const QString& caption,
        const LabelStyle& style);
  ~Label() override;

  QString Caption() const;
  void SetCaption(const QString& caption);

  MouseEvent onMouseDown;
  MouseEvent onMouseUp;

 protected:
  void ShowColours() override;

 private:
  class LabelWidget;
  LabelWidget* label_;
};

}  // namespace forms
