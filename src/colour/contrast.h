// How readable a text colour is on a background colour: the WCAG 2.x
// contrast ratio and its verdicts, plus the colour texts web authors copy
// and paste. Plain words only: a system-colour reference must be resolved to
// the colour it is drawn with before it comes here.
#pragma once

#include <string>

#include "colour/colour.h"

namespace colour {

// Linear light 0..1 of one 8-bit sRGB channel, as the luminance takes it.
double LinearChannel(Channel channel);

// Relative luminance 0..1 of the word's three low bytes as sRGB.
double RelativeLuminance(ColourWord word);

// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(ColourWord text, ColourWord background);

struct Verdicts {
  bool normalAA;   // 4.5
  bool normalAAA;  // 7
  bool largeAA;    // 3
  bool largeAAA;   // 4.5
};

// Judged on the unrounded ratio: 4.499 fails AA even though it shows as 4.50.
Verdicts Judge(double ratio);

// "Contrast 4.54:1", then one line each for normal and large text.
std::string ContrastSummary(double ratio);

// "#RRGGBB", "rgb(r, g, b)" and the CSS lines of a text/background pair.
std::string CssHex(ColourWord word);
std::string CssRgb(ColourWord word);
std::string CssPair(ColourWord text, ColourWord background);

// Four lines to paste into a ticket: the pair and its ratio to two
// decimals, then the verdicts for normal text, large text and user-interface
// components, each with the ratio it needs; judged unrounded. No line end
// after the last line.
std::string ContrastReport(ColourWord text, ColourWord background);

}  // namespace colour
