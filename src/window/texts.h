// Texts the window's files share: the design's ASCII strings and colour
// words as the hex the window shows.
#pragma once

#include <QString>
#include <string_view>

#include "colour/colour.h"

namespace window {

// The version the window shows and the palette check's report names.
inline constexpr std::string_view kProductVersion = "0.2i";

// The design's texts are plain ASCII.
inline QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString FinalHex(colour::ColourWord word) {
  return QString::fromStdString(colour::FinalHex(word));
}

}  // namespace window
