// A colour written as CSS Color 4's hsl() and oklch() in the space syntax,
// for people to paste into a stylesheet: each number has the fewest
// decimals that still read back (as cssparse reads them) to the same 8-bit
// colour, and a grey's hue, which has no meaning, is written `none`.
#pragma once

#include <string>

#include "colour/colour.h"

namespace colour {

// "hsl(210 50% 50.2%)": hue in degrees, saturation and lightness as
// percentages, each with at most 2 decimals.
std::string CssHslText(ColourWord word);

// "oklch(62.8% 0.2577 29.23)": lightness as a percentage with at most 2
// decimals, chroma with at most 4, hue in degrees with at most 2.
std::string CssOklchText(ColourWord word);

}  // namespace colour
