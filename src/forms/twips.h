// Positions and sizes of the design are in twips, 1440 to the inch, which at
// the 96-dpi reference resolution is 15 twips to a logical pixel. Qt scales
// logical pixels to device pixels itself, so the layout stays crisp on
// high-DPI screens without any twips arithmetic of ours.
#pragma once

#include <QRect>

namespace forms {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
  // Round half away from zero; the design only uses whole pixels anyway.
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int PixelsToTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

constexpr QRect ToPixels(const TwipsRect& r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
               TwipsToPixels(r.height));
}

}  // namespace forms
