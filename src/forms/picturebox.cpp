#include "forms/picturebox.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "forms/colourword.h"

namespace forms {

namespace {

constexpr int kBorderPixels = 1;

std::int16_t KeyCodeOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kKeyReturn;
    case Qt::Key_Space:
      return kKeySpace;
    case Qt::Key_Left:
      return kKeyLeft;
    case Qt::Key_Up:
      return kKeyUp;
    case Qt::Key_Right:
      return kKeyRight;
    case Qt::Key_Down:
      return kKeyDown;
    case Qt::Key_Insert:
      return kKeyInsert;
    default:
      return 0;
  }
}

}  // namespace

class PictureBox::PanelWidget : public QWidget {
 public:
  explicit PanelWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    // The panel itself shows only as its border: the inside covers the rest.
    setAutoFillBackground(true);
    ShowBorder(false);
  }

  PictureBox* owner = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const std::int16_t code = KeyCodeOf(event->key());
    if (owner == nullptr || !owner->onKeyDown || code == 0) return QWidget::keyPressEvent(event);
    event->accept();
    owner->onKeyDown(code, ShiftOf(event->modifiers()));
  }
  void focusInEvent(QFocusEvent* event) override {
    ShowBorder(true);
    QWidget::focusInEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    ShowBorder(false);
    QWidget::focusOutEvent(event);
  }

 private:
  // A keyboard user sees where the focus is: the border takes the
  // highlight colour while the panel has it.
  void ShowBorder(bool focused) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window,
                     focused ? palette.color(QPalette::Highlight) : QColor(Qt::black));
    setPalette(palette);
  }
};

PictureBox::PictureBox(QWidget* container, const TwipsRect& place, colour::ColourWord backColor)
    : Control(new PanelWidget(container), place, QPalette::WindowText, QPalette::Window,
              kSystemButtonText, backColor),
      panel_(static_cast<PanelWidget*>(widget())),
      inside_(new QWidget(widget())) {
  panel_->owner = this;
  inside_->setGeometry(
      widget()->rect().adjusted(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels));
  inside_->setAutoFillBackground(true);
  QPalette palette = inside_->palette();
  palette.setColor(QPalette::Window, DrawnColour(backColor, palette));
  inside_->setPalette(palette);
}

PictureBox::~PictureBox() {
  if (widget()) panel_->owner = nullptr;
}

}  // namespace forms
