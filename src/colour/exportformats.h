// The palette as a stylesheet, a GIMP palette or JSON takes it: the 24
// swatches, then the preview, each a text and a background colour. Plain
// words only: a system-colour reference is resolved to the colour it is
// drawn with before it comes here. Every text ends its lines with LF.
#pragma once

#include <string>

#include "colour/palette.h"

namespace colour {

// `:root { ... }` with --swatch-n-color / --swatch-n-background for
// n = 1..24, then --preview-color / --preview-background.
std::string PaletteCss(const PaletteColours& colours);

// A GIMP palette named Huvenor in two columns, one line per colour named
// "Swatch n text", "Swatch n background", ..., "Preview background".
std::string PaletteGpl(const PaletteColours& colours);

// An array of 25 objects {"name", "color", "background"}, one to a line.
std::string PaletteJson(const PaletteColours& colours);

}  // namespace colour
