// How readable a text colour is on a background colour: the WCAG 2.x
// contrast ratio and its verdicts, plus the colour texts web authors copy
// and paste. Plain words only: a system-colour reference must be resolved to
// the colour it is drawn with before it comes here.
#pragma once

#include <array>
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
  bool normalAA;    // 4.5
  bool normalAAA;   // 7
  bool largeAA;     // 3
  bool largeAAA;    // 4.5
  bool components;  // 3, user-interface components and graphics
};

// Judged on the unrounded ratio: 4.499 fails AA even though it shows as 4.50.
Verdicts Judge(double ratio);

// One verdict of Verdicts with what it is named and needs, for tables that
// show every verdict in this order.
struct Criterion {
  const char* kind;   // "Normal text"
  const char* level;  // "AA"; empty for user-interface components
  double ratio;
  bool Verdicts::*passes;
};

inline constexpr std::array<Criterion, 5> kCriteria{{
    {"Normal text", "AA", 4.5, &Verdicts::normalAA},
    {"Normal text", "AAA", 7.0, &Verdicts::normalAAA},
    {"Large text", "AA", 3.0, &Verdicts::largeAA},
    {"Large text", "AAA", 4.5, &Verdicts::largeAAA},
    {"User-interface components", "", 3.0, &Verdicts::components},
}};

// "4.48" (two decimals) or, with `shortest`, "4.5", "7": a '.' whatever the
// C locale says, since Qt applies the user's locale to it.
std::string RatioText(double ratio, bool shortest = false);

// "Normal text AA (4.5:1)", "User-interface components (3:1)".
std::string CriterionName(const Criterion& criterion);

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
