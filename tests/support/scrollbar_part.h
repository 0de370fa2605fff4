// Where a part of a scroll bar (an arrow, the trough, the thumb) is drawn, so
// tests can press it with the mouse as a user would.
#pragma once

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

inline QPoint ScrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = bar->orientation();
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.singleStep = bar->singleStep();
  option.pageStep = bar->pageStep();
  option.subControls = QStyle::SC_All;
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}
