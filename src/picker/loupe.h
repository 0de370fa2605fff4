// The loupe beside the pointer while a colour is picked: the device pixels
// around the pointer, magnified, the one under it framed, and its hex. It
// only draws what it is given; it never takes the focus or the pointer.
#pragma once

#include <QImage>
#include <QWidget>

namespace picker {

// Logical coordinates, in which Qt places windows, of a point in device
// pixels: each screen keeps its top-left corner and is scaled about it.
QPoint LogicalPoint(int x, int y);

class Loupe : public QWidget {
 public:
  // Device pixels shown on each side of the one under the pointer.
  static constexpr int kRadius = 5;
  static constexpr int kSpan = 2 * kRadius + 1;

  Loupe();

  // Shows `pixels` (kSpan × kSpan, the pointer's pixel in the middle; pixels
  // off the screen transparent) beside `pointer`, in logical coordinates, on
  // the screen that holds it, and repaints at once.
  void ShowAt(const QPoint& pointer, const QImage& pixels);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage pixels_;
};

}  // namespace picker
