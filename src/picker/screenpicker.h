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

  // Why a pick cannot start now, in words for the user; empty when it can,
  // as far as is known yet. Never blocks: a backend that has to ask the
  // desktop answers "yes" until told otherwise.
  virtual QString Unavailable() const { return {}; }

  // Exactly one of these ends every pick that Start began, never from inside
  // Start itself.
  std::function<void(colour::ColourWord)> onPicked;
  std::function<void()> onCancelled;
  std::function<void(const QString& reason)> onFailed;
  // Unavailable() has a new answer.
  std::function<void()> onAvailabilityChanged;
};

// The backend for the platform the program runs on, or none and why not, in
// words for the user.
struct Backend {
  std::unique_ptr<ScreenPicker> picker;
  QString unavailable;
};

// The backend for the session the program runs in, chosen by the build's
// platform (screenpicker_<platform>.cpp). Made when first needed.
Backend MakeScreenPicker();

}  // namespace picker
