// The part every control shares: its Qt widget, its place in twips and its
// two colour words. Each kind of control (TextBox, VScrollBar, ...) builds on
// this and adds the properties and events of its own kind.
//
// A widget has one owner, its Qt parent: the form's window deletes the whole
// tree. A control only refers to its widget, and whichever of the two goes
// first, nothing is deleted twice: a control that outlives its widget sees
// a null widget(), and a widget that outlives its control calls back only
// through the owner pointer the control clears on its way out.
#pragma once

#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "colour/colour.h"
#include "forms/twips.h"

class QMouseEvent;

namespace forms {

class DrawFilter;

enum class MouseButton : std::int16_t { Left = 1, Right = 2, Middle = 4 };

// Shift, X and Y arguments of a mouse event: Shift 1, Ctrl 2, Alt 4; twips.
struct MouseEventArgs {
  std::int16_t button;
  std::int16_t shift;
  float x;
  float y;
};

using MouseEvent = std::function<void(std::int16_t button, std::int16_t shift, float x, float y)>;

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int twips);
  void SetTop(int twips);

  colour::ColourWord ForeColor() const { return foreColor_; }
  colour::ColourWord BackColor() const { return backColor_; }
  void SetForeColor(colour::ColourWord word) { SetColors(word, backColor_); }
  void SetBackColor(colour::ColourWord word) { SetColors(foreColor_, word); }
  // Both words at once: the widget takes one palette change, not two.
  void SetColors(colour::ColourWord fore, colour::ColourWord back);

  void SetFont(const QFont& font);
  void SetTabIndex(int tabIndex) { tabIndex_ = tabIndex; }
  int TabIndex() const { return tabIndex_; }

  // Null once the form's window, and with it this widget, is gone.
  QWidget* widget() const { return widget_.data(); }

 protected:
  // `foreRole` and `backRole` are the palette roles the kind draws its text
  // and background with; the words start as the kind's standard system colours.
  Control(QWidget* widget, const TwipsRect& place, QPalette::ColorRole foreRole,
          QPalette::ColorRole backRole, colour::ColourWord standardFore,
          colour::ColourWord standardBack);

  // The colour `word` is drawn with now: a system reference as the kind's
  // own standard colour, then through the draw filter.
  QColor Drawn(colour::ColourWord word) const;
  // Whether the background was ever given a colour; until then the kind's
  // style draws it as it would anyway.
  bool BackColorSet() const { return backColorSet_; }
  // Shows the current colours. The standard way sets the kind's palette
  // roles; a kind that paints its own colours only asks to be repainted,
  // which spares the palette's copying and resolving on every change.
  virtual void ShowColours();

  // Raises an event if a handler is connected.
  template <typename Event, typename... Args>
  static void Raise(const Event& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
  }

  // The Shift argument of mouse and key events: Shift 1, Ctrl 2, Alt 4.
  static std::int16_t ShiftOf(Qt::KeyboardModifiers modifiers);
  static MouseEventArgs MouseArgs(const QMouseEvent& event);

 private:
  friend class DrawFilter;

  // Sets `role` in `palette` to the colour `word` is drawn with.
  void Paint(QPalette& palette, QPalette::ColorRole role, colour::ColourWord word) const;
  // Shows both colours again, after the draw filter changed.
  void Redraw();

  QPointer<QWidget> widget_;
  DrawFilter* filter_ = nullptr;
  int left_;
  int top_;
  int width_;
  int height_;
  int tabIndex_ = -1;
  QPalette::ColorRole foreRole_;
  QPalette::ColorRole backRole_;
  colour::ColourWord foreColor_;
  colour::ColourWord backColor_;
  bool backColorSet_ = false;
};

}  // namespace forms
