// A change to how some controls draw their colours: a preview of how they
// look to someone else, say. Only the drawing changes; the controls' colour
// words, and everything read from them, stay exactly as assigned.
#pragma once

#include <QColor>
#include <functional>
#include <vector>

#include "colour/colour.h"

namespace forms {

class Control;

class DrawFilter {
 public:
  // Takes and gives plain colour words: a system-colour reference reaches it
  // as the colour it is drawn with.
  using Transform = std::function<colour::ColourWord(colour::ColourWord)>;

  DrawFilter() = default;
  ~DrawFilter();
  DrawFilter(const DrawFilter&) = delete;
  DrawFilter& operator=(const DrawFilter&) = delete;

  // Draws `control` through the filter from now on. Either may go first:
  // whichever is destroyed first lets go of the other.
  void Attach(Control& control);

  // Redraws every attached control through `transform`; an empty one draws
  // them as they are.
  void SetTransform(Transform transform);

  QColor Apply(const QColor& colour) const;

 private:
  friend class Control;
  void Detach(Control& control);

  Transform transform_;
  std::vector<Control*> controls_;
};

}  // namespace forms
