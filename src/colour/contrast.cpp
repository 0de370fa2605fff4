#include "colour/contrast.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace colour {

namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool AllHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

Channel HexPair(std::string_view two) {
  return static_cast<Channel>(ChannelParse(two));
}

std::optional<ColourWord> ParseHex(std::string_view digits) {
  if (!AllHex(digits)) return std::nullopt;
  if (digits.size() == 3) {
    // #RGB doubles each digit: #F80 is #FF8800.
    const auto doubled = [&](std::size_t i) {
      return static_cast<Channel>(ChannelParse(digits.substr(i, 1)) * 17);
    };
    return RGB(doubled(0), doubled(1), doubled(2));
  }
  if (digits.size() == 6) {
    return RGB(HexPair(digits.substr(0, 2)), HexPair(digits.substr(2, 2)),
               HexPair(digits.substr(4, 2)));
  }
  return std::nullopt;
}

std::optional<Channel> ParseDecimal(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kChannelMax) return std::nullopt;
  return static_cast<Channel>(value);
}

std::optional<ColourWord> ParseRgb(std::string_view text) {
  constexpr std::string_view kOpen = "rgb(";
  if (text.size() < kOpen.size() + 1 || text.back() != ')') return std::nullopt;
  for (std::size_t i = 0; i < kOpen.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != kOpen[i]) return std::nullopt;
  }
  std::string_view rest = text.substr(kOpen.size(), text.size() - kOpen.size() - 1);
  std::array<Channel, 3> channels{};
  for (std::size_t i = 0; i < channels.size(); ++i) {
    const auto comma = rest.find(',');
    const bool last = i + 1 == channels.size();
    if (last != (comma == std::string_view::npos)) return std::nullopt;
    const auto value = ParseDecimal(rest.substr(0, comma));
    if (!value) return std::nullopt;
    channels[i] = *value;
    if (!last) rest = rest.substr(comma + 1);
  }
  return RGB(channels[0], channels[1], channels[2]);
}

}  // namespace

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
  return {ratio >= 4.5, ratio >= 7.0, ratio >= 3.0, ratio >= 4.5};
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

std::optional<ColourWord> ParseCssColour(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '#') return ParseHex(text.substr(1));
  if (text.size() == 6) return ParseHex(text);
  return ParseRgb(text);
}

}  // namespace colour
