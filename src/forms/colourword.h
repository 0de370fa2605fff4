// How a colour word is drawn. Words keep exactly what was assigned; only the
// drawing resolves a system-colour reference against the current palette.
#pragma once

#include <QColor>
#include <QPalette>

#include "colour/colour.h"

namespace forms {

// References to the platform's system colours: 0x80000000 plus an index.
inline constexpr colour::ColourWord kSystemWindow = static_cast<colour::ColourWord>(0x80000005);
inline constexpr colour::ColourWord kSystemWindowText = static_cast<colour::ColourWord>(0x80000008);
inline constexpr colour::ColourWord kSystemButtonFace = static_cast<colour::ColourWord>(0x8000000F);
inline constexpr colour::ColourWord kSystemButtonText = static_cast<colour::ColourWord>(0x80000012);

// The colour `word` stands for: a known system reference becomes the matching
// role of `palette`; any other word is drawn by its three low bytes.
QColor DrawnColour(colour::ColourWord word, const QPalette& palette);

// The plain word of the colour `word` is drawn with.
colour::ColourWord DrawnWord(colour::ColourWord word, const QPalette& palette);

}  // namespace forms
