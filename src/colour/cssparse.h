// Reading a colour as CSS Color 4 writes it, from text someone pasted:
// hex with 3, 4, 6 or 8 digits (and six bare digits), rgb(), rgba(), hsl(),
// hsla(), hwb(), lab(), lch(), oklab(), oklch(), color() in the srgb,
// srgb-linear, display-p3 and xyz spaces, and the 148 named colours. A
// declaration's `color:` or `background-color:` and its `;` are looked past.
//
// The window's colours are opaque 8-bit sRGB, so a colour with any
// transparency is refused, as is anything whose colour only a page knows
// (currentcolor, var(), the system colours). A colour outside sRGB is
// brought in by CSS Color 4's gamut mapping. The text is untrusted: any
// bytes of any length give either a colour or a reason, never more.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colour/colour.h"

namespace colour {

struct CssColour {
  // The colour read, or nothing when the text was refused.
  std::optional<ColourWord> word;
  // The colour was outside sRGB and was mapped into it.
  bool mapped = false;
  // Why the text was refused, as a sentence for the user; empty when read.
  std::string refusal;
};

CssColour ReadCssColour(std::string_view text);

}  // namespace colour
