// Picking a colour from anywhere on the screen: one interface, a backend per
// platform. The picker only reports what was taken; what the colour is for is
// the window's business.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "colour/colour.h"

class QWidget;

namespace picker {

class ScreenPicker {
 public:
  virtual ~ScreenPicker() = default;

  // Begins a pick over `window`, which the user returns to afterwards. False,
  // with nothing started, while a pick is already under way.
  virtual bool Start(QWidget* window) = 0;
  virtual bool Active() const = 0;
  // Ends a pick under way as if the user had cancelled it.
  virtual void Cancel() = 0;

  // Exactly one of these ends every pick that Start began, never from inside
  // Start itself.
  std::function<void(colour::ColourWord)> onPicked;
  std::function<void()> onCancelled;
  std::function<void(const QString& reason)> onFailed;
};

// The backend for the platform the program runs on, or none and why not, in
// words for the user.
struct Backend {
  std::unique_ptr<ScreenPicker> picker;
  QString unavailable;
};

// Made when first needed: finding out may ask the desktop over D-Bus.
Backend MakeScreenPicker();

}  // namespace picker
