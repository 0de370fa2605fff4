// Reading back what exportformats.h writes: a stylesheet's `:root` block, a
// GIMP palette or JSON, told apart by how the text starts. A file is read
// whole or not at all: any line that is not what an export writes (give or
// take white space, comments where the format has them, order, and any CSS
// colour text in place of #RRGGBB in CSS and JSON) refuses the whole file
// with that line's number and the reason. The text is untrusted: any bytes
// of any length give either the colours or a refusal, never more.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "colour/exportformats.h"

namespace colour {

// The most of a file that is read; an exported palette is about 2 KiB.
inline constexpr std::size_t kPaletteFileLimit = std::size_t{1} << 20;

struct ImportedPalette {
  // The 24 swatches in order; all of them whenever `refusal` is empty.
  std::array<ColourPair, kSwatchCount> swatches{};
  // The preview's pair, when the file holds one.
  std::optional<ColourPair> preview;
  // Why the file was refused, a sentence for the user naming the line, as
  // "line 7: ..."; empty when it was read whole.
  std::string refusal;
};

// Reads a palette in whichever of the three formats the text is: "GIMP
// Palette" on its first line is a GIMP palette, a first `[` is JSON, and
// anything else must be the CSS block. A UTF-8 byte order mark is skipped,
// lines may end in CR LF, and a text over kPaletteFileLimit is refused.
ImportedPalette ReadPalette(std::string_view text);

}  // namespace colour
