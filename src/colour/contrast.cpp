#include "colour/contrast.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace colour {

double LinearChannel(Channel channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(ColourWord word) {
  return 0.2126 * LinearChannel(ColorPart(word, 0)) + 0.7152 * LinearChannel(ColorPart(word, 1)) +
         0.0722 * LinearChannel(ColorPart(word, 2));
}

double ContrastRatio(ColourWord text, ColourWord background) {
  const double a = RelativeLuminance(text);
  const double b = RelativeLuminance(background);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

Verdicts Judge(double ratio) {
  return {ratio >= 4.5, ratio >= 7.0, ratio >= 3.0, ratio >= 4.5, ratio >= 3.0};
}

std::string RatioText(double ratio, bool shortest) {
  char text[32];
  const std::to_chars_result end =
      shortest ? std::to_chars(text, text + sizeof text, ratio)
               : std::to_chars(text, text + sizeof text, ratio, std::chars_format::fixed, 2);
  return {text, end.ptr};
}

std::string CriterionName(const Criterion& criterion) {
  std::string name = criterion.kind;
  if (*criterion.level != '\0') name += std::string(" ") + criterion.level;
  return name + " (" + RatioText(criterion.ratio, true) + ":1)";
}

std::string ContrastSummary(double ratio) {
  const Verdicts verdicts = Judge(ratio);
  const auto mark = [](bool passes) { return passes ? "pass" : "fail"; };
  char text[160];
  std::snprintf(text, sizeof text,
                "Contrast %.2f:1\nNormal text: AA %s, AAA %s\nLarge text: AA %s, AAA %s", ratio,
                mark(verdicts.normalAA), mark(verdicts.normalAAA), mark(verdicts.largeAA),
                mark(verdicts.largeAAA));
  return text;
}

std::string CssHex(ColourWord word) {
  // Appending rather than `"#" + FinalHex(word)`: GCC 12 at -O3 warns falsely
  // (-Wrestrict) inside libstdc++ on the concatenation.
  std::string hex = "#";
  hex += FinalHex(word);
  return hex;
}

std::string CssRgb(ColourWord word) {
  return "rgb(" + std::to_string(ColorPart(word, 0)) + ", " + std::to_string(ColorPart(word, 1)) +
         ", " + std::to_string(ColorPart(word, 2)) + ")";
}

std::string CssPair(ColourWord text, ColourWord background) {
  return "color: " + CssHex(text) + ";\nbackground-color: " + CssHex(background) + ";";
}

std::string ContrastReport(ColourWord text, ColourWord background) {
  const double ratio = ContrastRatio(text, background);
  const Verdicts verdicts = Judge(ratio);
  const auto mark = [](bool passes) { return passes ? "pass" : "fail"; };
  char report[320];
  std::snprintf(report, sizeof report,
                "Text %s on background %s: contrast %.2f:1\n"
                "Normal text: AA %s (needs 4.5), AAA %s (needs 7)\n"
                "Large text: AA %s (needs 3), AAA %s (needs 4.5)\n"
                "User-interface components: %s (needs 3)",
                CssHex(text).c_str(), CssHex(background).c_str(), ratio, mark(verdicts.normalAA),
                mark(verdicts.normalAAA), mark(verdicts.largeAA), mark(verdicts.largeAAA),
                mark(verdicts.components));
  return report;
}

}  // namespace colour
