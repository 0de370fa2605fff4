// VScrollBar: a vertical bar whose Value runs from Min at the top to Max at
// the bottom, either way round (Min 255, Max 0 puts 255 at the top).
//
// Qt's bar always counts up from the top, and its inverted appearance still
// moves the wrong way for arrow and trough clicks, so the bar is kept plain
// and Value is mapped onto Qt's position instead: mouse, keys and wheel then
// all move the thumb and the value the natural way.
//
// Scroll is raised for every step of a drag, Change once when the thumb is
// released, and Change inside an assignment of a different Value; assigning
// the current value raises nothing.
//
// Assistive tools see a slider whose value is Value, within Min and Max,
// never Qt's position; each change of it is announced to them.
#pragma once

#include "forms/control.h"

class QScrollBar;

namespace forms {

struct ScrollRange {
  std::int16_t min = 0;
  std::int16_t max = 32767;
  std::int16_t smallChange = 1;
  std::int16_t largeChange = 1;
};

class VScrollBar : public Control {
 public:
  VScrollBar(QWidget* container, const TwipsRect& place, const ScrollRange& range);
  ~VScrollBar() override;

  std::int16_t Value() const;
  // A value outside the range is clamped to it rather than failing.
  void SetValue(std::int16_t value);

  std::function<void()> onChange;
  std::function<void()> onScroll;

 private:
  int PositionOf(std::int16_t value) const;
  void PositionChanged();
  void Released();

  QScrollBar* bar_;
  ScrollRange range_;
  std::int16_t reportedValue_;  // the value the last Change told the program
  bool assigning_ = false;
};

}  // namespace forms
