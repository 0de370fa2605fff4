// Picking on Windows. Windows lets no program take the mouse and the keyboard
// over other programs' windows, so the picker copies the whole screen, in
// physical pixels, and lays that copy over it in a window of its own that
// takes every click and key until the pick ends. Pixels come from the copy,
// so the window that shows it never gets in their way; the screen stands
// still while the user picks.
#pragma once

#include <QImage>
#include <QPoint>
#include <memory>

#include "picker/screenpicker.h"

namespace picker {

class Loupe;

class GdiPicker : public ScreenPicker {
 public:
  GdiPicker();
  ~GdiPicker() override;
  GdiPicker(const GdiPicker&) = delete;
  GdiPicker& operator=(const GdiPicker&) = delete;

  bool Start(QWidget* window) override;
  bool Active() const override;
  void Cancel() override;

  // What the overlay's window hands on, in physical screen pixels.
  void Moved(QPoint at);
  void Take(QPoint at);
  void Nudge(int dx, int dy);
  void Cancelled();

 private:
  enum class Outcome { kCancelled, kFailed };

  // The screen's copy around `at`, kSpan × kSpan; pixels off the screen
  // transparent.
  QImage Around(QPoint at, int span) const;
  void Release();
  void End(Outcome outcome, const QString& reason = {});

  void* overlay_ = nullptr;  // HWND
  QImage screen_;
  QPoint origin_;  // the screen copy's top-left corner, in screen pixels
  std::unique_ptr<Loupe> loupe_;
};

}  // namespace picker
