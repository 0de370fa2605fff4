// Picking on X11. The pointer and the keyboard are grabbed over every window
// through a connection of the picker's own, so the grab does not depend on
// which of Qt's windows has what, and ends with that connection whatever
// happens to the program. Pixels are read from the root window in device
// pixels, whatever the scale Qt draws at.
#pragma once

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "picker/screenpicker.h"

class QSocketNotifier;
struct xcb_connection_t;

namespace picker {

class Loupe;

class X11Picker : public ScreenPicker {
 public:
  X11Picker();
  ~X11Picker() override;

  bool Start(QWidget* window) override;
  bool Active() const override;
  void Cancel() override;

  // The loupe of the pick under way, or null.
  Loupe* loupe() const { return loupe_.get(); }

 private:
  enum class Key : std::uint8_t { kNone, kTake, kCancel, kLeft, kRight, kUp, kDown };
  enum class Outcome : std::uint8_t { kNone, kCancelled, kFailed };

  void TryGrab();
  void ReadEvents();
  void ShowLoupe(int x, int y);
  void Take(int x, int y);
  // The device pixels around x, y: kSpan × kSpan, off-screen ones transparent;
  // none when the screen gives none.
  std::optional<QImage> Pixels(int x, int y, int span) const;
  std::optional<QPoint> Pointer() const;
  void MapKeys();
  void Release();
  void End(Outcome outcome, const QString& reason = {});

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint32_t cursor_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::array<Key, 256> keys_{};
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<Loupe> loupe_;
  QTimer retry_;
  int triesLeft_ = 0;
};

}  // namespace picker
