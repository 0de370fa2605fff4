// The palette's colours as the colour core takes them: the 24 swatches, then
// the preview, each a text and a background colour, and the names reports
// and exports give them.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "colour/colour.h"

namespace colour {

struct ColourPair {
  ColourWord text;
  ColourWord background;
  bool operator==(const ColourPair&) const = default;
};

inline constexpr std::size_t kSwatchCount = 24;

using Swatches = std::array<ColourPair, kSwatchCount>;

// The swatches in order, then the preview.
using PaletteColours = std::array<ColourPair, kSwatchCount + 1>;

// "Swatch 1" .. "Swatch 24" for the swatches, "Preview" for index 24.
std::string PairName(std::size_t index);

}  // namespace colour
