// The colour spaces CSS colours are written in, and the way back from any of
// them to an 8-bit sRGB word. Everything here is double precision; the
// matrices are the ones CSS Color 4 publishes, so that a colour reads here
// as it does in a browser. What text a colour comes from is cssparse's
// business, what text it goes to csswrite's.
#pragma once

#include "colour/colour.h"

namespace colour {

// Three coordinates of one space: r, g, b; x, y, z; or L, a, b.
struct Triple {
  double x;
  double y;
  double z;
};

// The sRGB transfer curve and its inverse, extended to values beyond 0..1
// by keeping the sign, as CSS does.
double SrgbToLinear(double encoded);
double LinearToSrgb(double linear);

// Linear-light sRGB and CIE XYZ with the D65 white.
Triple LinearSrgbToXyzD65(const Triple& rgb);
Triple XyzD65ToLinearSrgb(const Triple& xyz);

// XYZ between the D50 white CIE Lab uses and D65 (Bradford).
Triple XyzD50ToD65(const Triple& xyz);

// CIE Lab (D50, L 0..100) to XYZ D50.
Triple LabToXyzD50(const Triple& lab);

// Linear-light Display P3 to XYZ D65.
Triple LinearP3ToXyzD65(const Triple& rgb);

// CSS hsl() (hue in degrees, saturation and lightness 0..1) to sRGB.
Triple HslToSrgb(double hue, double saturation, double lightness);

// Oklab (L 0..1) to and from linear-light sRGB.
Triple LinearSrgbToOklab(const Triple& rgb);
Triple OklabToLinearSrgb(const Triple& lab);

// OkLCh (hue in degrees) to and from Oklab. A grey's hue comes out 0.
Triple OklchToOklab(const Triple& lch);
Triple OklabToOklch(const Triple& lab);

// The Oklab coordinates of an 8-bit word.
Triple WordToOklab(ColourWord word);

struct Mapped {
  ColourWord word;
  bool mapped;  // the colour was outside sRGB and was brought in
};

// The 8-bit word nearest a colour given in gamma-encoded sRGB, which may lie
// outside 0..1: within sRGB each channel is rounded; outside it the colour
// is first brought in by CSS Color 4's gamut mapping (a binary search in
// OkLCh chroma for the most colourful colour whose clipped form is within
// a just-noticeable difference of it).
Mapped ToWord(const Triple& srgb);

// Linear-light sRGB of an OkLCh colour as CSS reads oklch(): lightness
// clamped to 0..1, a negative chroma taken as 0.
Triple OklchToLinearSrgb(const Triple& lch);

// The 8-bit word of an OkLCh colour, read as above and mapped into sRGB as
// ToWord maps; a lightness of 1 or more is white, 0 or less black.
Mapped OklchToWord(const Triple& lch);

// The values of each channel, gamma-encoded or in linear light, that round
// to the channel of a word with `margin` (in 8-bit steps) to spare, so that
// a reader whose arithmetic differs in the last bits still reads that word.
struct Range {
  Triple low;
  Triple high;
  bool Holds(const Triple& value) const;
};
Range EncodedRange(ColourWord word, double margin);
Range LinearRange(ColourWord word, double margin);

}  // namespace colour
