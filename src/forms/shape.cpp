#include "forms/shape.h"

#include <QPainter>

#include "forms/colourword.h"

namespace forms {

namespace {

class ShapeWidget : public QWidget {
 public:
  ShapeWidget(const ShapeStyle& style, QWidget* parent)
      : QWidget(parent),
        fill_(DrawnColour(style.fillColor, palette())),
        border_(DrawnColour(style.borderColor, palette())) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(border_);
    painter.setBrush(fill_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  QColor fill_;
  QColor border_;
};

}  // namespace

Shape::Shape(QWidget* container, const TwipsRect& place, const ShapeStyle& style)
    : Control(new ShapeWidget(style, container), place, QPalette::WindowText, QPalette::Window,
              style.borderColor, style.fillColor) {
  widget()->lower();
}

}  // namespace forms
