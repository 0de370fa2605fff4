// How a colour looks to someone with a colour-vision deficiency, for drawing
// a preview of it. Dichromacies follow Machado, Oliveira and Fernandes
// (2009) at severity 1.0, applied to linear-light sRGB; achromatopsia keeps
// only the Rec. 709 luminance. Plain words only, as for the contrast.
#pragma once

#include "colour/colour.h"

namespace colour {

enum class Vision { Normal, Protanopia, Deuteranopia, Tritanopia, Achromatopsia };

// Encodes linear light 0..1 (clamped) as the nearest 8-bit sRGB channel.
Channel EncodeChannel(double linear);

// The plain word the colour `word` looks like under `vision`; Normal gives
// `word` back as it is.
ColourWord Simulate(Vision vision, ColourWord word);

}  // namespace colour
