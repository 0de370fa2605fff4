#include "forms/picturebox.h"

#include "forms/colourword.h"

namespace forms {

namespace {

constexpr int kBorderPixels = 1;

QWidget* MakePanel(QWidget* container) {
  auto* panel = new QWidget(container);
  panel->setFocusPolicy(Qt::StrongFocus);
  // The panel itself shows only as its border: the inside covers the rest.
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, Qt::black);
  panel->setPalette(palette);
  panel->setAutoFillBackground(true);
  return panel;
}

}  // namespace

PictureBox::PictureBox(QWidget* container, const TwipsRect& place, colour::ColourWord backColor)
    : Control(MakePanel(container), place, QPalette::WindowText, QPalette::Window,
              kSystemButtonText, backColor),
      inside_(new QWidget(widget())) {
  inside_->setGeometry(
      widget()->rect().adjusted(kBorderPixels, kBorderPixels, -kBorderPixels, -kBorderPixels));
  inside_->setAutoFillBackground(true);
  QPalette palette = inside_->palette();
  palette.setColor(QPalette::Window, DrawnColour(backColor, palette));
  inside_->setPalette(palette);
}

}  // namespace forms
