#include "forms/label.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "forms/colourword.h"

namespace forms {

class Label::LabelWidget : public QLabel {
 public:
  LabelWidget(const QString& caption, const LabelStyle& style, QWidget* parent)
      : QLabel(caption, parent), bordered_(style.border == Border::FlatSingle) {
    // Captions sit at the top like the platform's labels; the fixed-pitch
    // font is a little taller than its row and must not be centred out of it.
    setAlignment(style.alignment | Qt::AlignTop);
    if (bordered_) setContentsMargins(1, 1, 1, 1);
  }

  Label* owner = nullptr;

 protected:
  // The label paints its owner's two colours itself: a swatch's pair
  // changes often, and a repaint is far cheaper than a palette change.
  void paintEvent(QPaintEvent* event) override {
    if (!owner) return QLabel::paintEvent(event);
    QPainter painter(this);
    if (owner->BackColorSet()) painter.fillRect(rect(), owner->Drawn(owner->BackColor()));
    painter.setPen(owner->Drawn(owner->ForeColor()));
    painter.drawText(contentsRect(),
                     static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment())),
                     text());
    if (!bordered_) return;
    // The flat border is the window frame colour, whatever the text colour.
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (!owner || !owner->onMouseDown) return QLabel::mousePressEvent(event);
    const MouseEventArgs args = MouseArgs(*event);
    event->accept();
    owner->onMouseDown(args.button, args.shift, args.x, args.y);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (!owner || !owner->onMouseUp) return QLabel::mouseReleaseEvent(event);
    const MouseEventArgs args = MouseArgs(*event);
    event->accept();
    owner->onMouseUp(args.button, args.shift, args.x, args.y);
  }

 private:
  bool bordered_;
};

Label::Label(QWidget* container, const TwipsRect& place, const QString& caption,
             const LabelStyle& style)
    : Control(new LabelWidget(caption, style, container), place, QPalette::WindowText,
              QPalette::Window, kSystemButtonText, kSystemButtonFace),
      label_(static_cast<LabelWidget*>(widget())) {
  label_->owner = this;
}

Label::~Label() {
  if (widget()) label_->owner = nullptr;
}

void Label::ShowColours() {
  label_->update();
}

QString Label::Caption() const {
  return label_->text();
}

void Label::SetCaption(const QString& caption) {
  label_->setText(caption);
}

}  // namespace forms
