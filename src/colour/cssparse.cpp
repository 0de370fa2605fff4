#include "colour/cssparse.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "colour/namedcolours.h"
#include "colour/spaces.h"

namespace colour {

namespace {

// No colour is written longer than this, white space included; refusing
// longer text first bounds the work any clipboard can cause.
constexpr std::size_t kMaxText = 256;

// CSS allows any number, but one this large is no colour's: refusing it
// keeps infinities out of the conversions.
constexpr double kMaxMagnitude = 1e6;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == y; });
}

bool StartsWithLetters(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         SameLetters(text.substr(0, lowerPrefix.size()), lowerPrefix);
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return lower;
}

CssColour Refuse(std::string refusal) {
  return {std::nullopt, false, std::move(refusal)};
}

// "50%", or to a tenth where a whole number would read as fully opaque or
// fully transparent when it is not.
std::string AlphaPercent(double alpha) {
  char text[16];
  double percent = alpha * 100;
  const double whole = std::round(percent);
  const bool tenth = whole != percent && (whole == 0 || whole == 100);
  if (tenth) percent = std::clamp(percent, 0.1, 99.9);
  std::snprintf(text, sizeof text, tenth ? "%.1f%%" : "%.0f%%", percent);
  return text;
}

CssColour Opaque(std::string_view text, double alpha, CssColour colour) {
  if (alpha >= 1) return colour;
  return Refuse("Huvenor's colours are opaque: " + std::string(text) + " has " +
                AlphaPercent(std::max(alpha, 0.0)) + " alpha.");
}

CssColour FromSrgb(const Triple& srgb) {
  const Mapped mapped = ToWord(srgb);
  return {mapped.word, mapped.mapped, {}};
}

Triple Encoded(const Triple& linear) {
  return {LinearToSrgb(linear.x), LinearToSrgb(linear.y), LinearToSrgb(linear.z)};
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

CssColour ReadHex(std::string_view text, std::string_view digits) {
  const bool allHex =
      std::all_of(digits.begin(), digits.end(), [](char c) { return HexValue(c) >= 0; });
  const std::size_t n = digits.size();
  if (!allHex || (n != 3 && n != 4 && n != 6 && n != 8)) {
    return Refuse("A hex colour is # and 3, 4, 6 or 8 hex digits.");
  }
  // With 3 or 4 digits each one stands for a doubled pair: #F80 is #FF8800.
  const bool shortForm = n <= 4;
  const auto channel = [&](std::size_t i) {
    return shortForm ? HexValue(digits[i]) * 17
                     : HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]);
  };
  const double alpha = n == 4 || n == 8 ? channel(3) / 255.0 : 1.0;
  const CssColour colour{RGB(static_cast<Channel>(channel(0)), static_cast<Channel>(channel(1)),
                             static_cast<Channel>(channel(2))),
                         false,
                         {}};
  return Opaque(text, alpha, colour);
}

// One component of a function's arguments.
struct Token {
  enum class Kind { Number, Percent, Dimension, Ident, Comma, Slash };
  Kind kind;
  double value = 0;
  std::string_view unit;  // a dimension's unit or an identifier
};

// Splits a function's arguments into tokens; false for a character no
// colour function takes, or a number out of range.
bool Tokenise(std::string_view args, std::vector<Token>& tokens) {
  std::size_t i = 0;
  const auto at = [&](std::size_t j) { return j < args.size() ? args[j] : '\0'; };
  while (i < args.size()) {
    const char c = args[i];
    if (IsSpace(c)) {
      ++i;
    } else if (c == ',' || c == '/') {
      tokens.push_back({c == ',' ? Token::Kind::Comma : Token::Kind::Slash, 0, {}});
      ++i;
    } else if (IsLetter(c)) {
      const std::size_t start = i;
      while (IsLetter(at(i)) || IsDigit(at(i)) || at(i) == '-') ++i;
      tokens.push_back({Token::Kind::Ident, 0, args.substr(start, i - start)});
    } else if (IsDigit(c) || c == '.' || c == '+' || c == '-') {
      const bool negative = c == '-';
      std::size_t start = c == '+' || c == '-' ? i + 1 : i;
      std::size_t end = start;
      while (IsDigit(at(end))) ++end;
      if (at(end) == '.' && IsDigit(at(end + 1))) {
        end += 2;
        while (IsDigit(at(end))) ++end;
      }
      if (end == start) return false;
      if (Lower(at(end)) == 'e') {
        std::size_t exponent = end + 1;
        if (at(exponent) == '+' || at(exponent) == '-') ++exponent;
        if (IsDigit(at(exponent))) {
          end = exponent;
          while (IsDigit(at(end))) ++end;
        }
      }
      double value = 0;
      // libstdc++'s from_chars refuses a leading '+'; the sign is read above.
      const auto [last, error] = std::from_chars(args.data() + start, args.data() + end, value);
      if (error != std::errc() || last != args.data() + end || !(value <= kMaxMagnitude)) {
        return false;
      }
      Token token{Token::Kind::Number, negative ? -value : value, {}};
      i = end;
      if (at(i) == '%') {
        token.kind = Token::Kind::Percent;
        ++i;
      } else if (IsLetter(at(i))) {
        while (IsLetter(at(i))) ++i;
        token.kind = Token::Kind::Dimension;
        token.unit = args.substr(end, i - end);
      }
      tokens.push_back(token);
    } else {
      return false;
    }
  }
  return true;
}

enum class Form { Rgb, Hsl, Hwb, Lab, Lch, Oklab, Oklch, Color };

// How one component reads: a hue (a number of degrees or an angle), or a
// number and a percentage each scaled to the value the conversion takes.
struct Scale {
  bool hue;
  double number;
  double percent;
};

constexpr Scale kHue{true, 1, 0};
constexpr Scale kByte{false, 1.0 / 255, 0.01};
constexpr Scale kUnit{false, 0.01, 0.01};  // hsl() and hwb() take 50 as 50%
constexpr Scale kFraction{false, 1, 0.01};

struct Function {
  std::string_view name;
  Form form;
  // The comma syntax of CSS before Color 4 is read too.
  bool legacy;
  Scale scales[3];
  const char* takes;
};

constexpr std::array<Function, 10> kFunctions{{
    {"rgb", Form::Rgb, true, {kByte, kByte, kByte}, "three numbers or percentages"},
    {"rgba", Form::Rgb, true, {kByte, kByte, kByte}, "three numbers or percentages"},
    {"hsl", Form::Hsl, true, {kHue, kUnit, kUnit}, "a hue, a saturation and a lightness"},
    {"hsla", Form::Hsl, true, {kHue, kUnit, kUnit}, "a hue, a saturation and a lightness"},
    {"hwb", Form::Hwb, false, {kHue, kUnit, kUnit}, "a hue, a whiteness and a blackness"},
    {"lab",
     Form::Lab,
     false,
     {{false, 1, 1}, {false, 1, 1.25}, {false, 1, 1.25}},
     "a lightness, an a and a b"},
    {"lch",
     Form::Lch,
     false,
     {{false, 1, 1}, {false, 1, 1.5}, kHue},
     "a lightness, a chroma and a hue"},
    {"oklab",
     Form::Oklab,
     false,
     {kFraction, {false, 1, 0.004}, {false, 1, 0.004}},
     "a lightness, an a and a b"},
    {"oklch",
     Form::Oklch,
     false,
     {kFraction, {false, 1, 0.004}, kHue},
     "a lightness, a chroma and a hue"},
    {"color",
     Form::Color,
     false,
     {kFraction, kFraction, kFraction},
     "a colour space and three numbers or percentages"},
}};

// Degrees of a hue token; nothing for a token that is not a hue.
std::optional<double> HueDegrees(const Token& token) {
  if (token.kind == Token::Kind::Number) return token.value;
  if (token.kind != Token::Kind::Dimension) return std::nullopt;
  const std::string unit = Lowered(token.unit);
  if (unit == "deg") return token.value;
  if (unit == "grad") return token.value * 0.9;
  if (unit == "rad") return token.value * 180 / 3.14159265358979323846;
  if (unit == "turn") return token.value * 360;
  return std::nullopt;
}

bool IsNone(const Token& token) {
  return token.kind == Token::Kind::Ident && SameLetters(token.unit, "none");
}

// A component's value as the conversion takes it; `none` is zero.
std::optional<double> Component(const Token& token, const Scale& scale) {
  if (IsNone(token)) return 0.0;
  if (scale.hue) return HueDegrees(token);
  if (token.kind == Token::Kind::Number) return token.value * scale.number;
  if (token.kind == Token::Kind::Percent) return token.value * scale.percent;
  return std::nullopt;
}

std::optional<double> Alpha(const Token& token) {
  if (IsNone(token)) return 0.0;
  if (token.kind == Token::Kind::Number) return token.value;
  if (token.kind == Token::Kind::Percent) return token.value / 100;
  return std::nullopt;
}

struct Arguments {
  std::array<double, 3> values;
  double alpha;
};

// The three components and the alpha of a function's tokens, in the space
// syntax or, where the function has it, the comma syntax.
std::optional<Arguments> ReadArguments(const Function& function, std::span<const Token> tokens) {
  const bool commas = std::any_of(tokens.begin(), tokens.end(),
                                  [](const Token& t) { return t.kind == Token::Kind::Comma; });
  std::vector<Token> parts;
  Token alpha{Token::Kind::Number, 1, {}};
  if (commas) {
    if (!function.legacy || (tokens.size() != 5 && tokens.size() != 7)) return std::nullopt;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      const bool separator = i % 2 == 1;
      if (separator != (tokens[i].kind == Token::Kind::Comma)) return std::nullopt;
      if (!separator && tokens[i].kind == Token::Kind::Ident) return std::nullopt;  // no none
      if (!separator) parts.push_back(tokens[i]);
    }
    if (parts.size() == 4) {
      alpha = parts.back();
      parts.pop_back();
    }
    // rgb() takes all numbers or all percentages; hsl() percentages after the hue.
    if (function.form == Form::Rgb) {
      if (parts[1].kind != parts[0].kind || parts[2].kind != parts[0].kind) return std::nullopt;
    } else if (parts[1].kind != Token::Kind::Percent || parts[2].kind != Token::Kind::Percent) {
      return std::nullopt;
    }
  } else {
    if (tokens.size() != 3 && !(tokens.size() == 5 && tokens[3].kind == Token::Kind::Slash)) {
      return std::nullopt;
    }
    parts.assign(tokens.begin(), tokens.begin() + 3);
    if (tokens.size() == 5) alpha = tokens[4];
  }
  Arguments arguments{};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto value = Component(parts[i], function.scales[i]);
    if (!value) return std::nullopt;
    arguments.values[i] = *value;
  }
  const auto opacity = Alpha(alpha);
  if (!opacity) return std::nullopt;
  arguments.alpha = *opacity;
  return arguments;
}

double PositiveHue(double hue) {
  return std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0);
}

CssColour Convert(Form form, const std::array<double, 3>& v) {
  switch (form) {
    case Form::Rgb:
      // Channels out of range are clamped, not mapped.
      return FromSrgb(
          {std::clamp(v[0], 0.0, 1.0), std::clamp(v[1], 0.0, 1.0), std::clamp(v[2], 0.0, 1.0)});
    case Form::Hsl:
      return FromSrgb(
          HslToSrgb(PositiveHue(v[0]), std::clamp(v[1], 0.0, 1.0), std::clamp(v[2], 0.0, 1.0)));
    case Form::Hwb: {
      const double white = std::clamp(v[1], 0.0, 1.0);
      const double black = std::clamp(v[2], 0.0, 1.0);
      if (white + black >= 1) {
        const double grey = white / (white + black);
        return FromSrgb({grey, grey, grey});
      }
      const Triple pure = HslToSrgb(PositiveHue(v[0]), 1, 0.5);
      const auto mix = [&](double c) { return c * (1 - white - black) + white; };
      return FromSrgb({mix(pure.x), mix(pure.y), mix(pure.z)});
    }
    case Form::Lab:
    case Form::Lch: {
      const double lightness = std::clamp(v[0], 0.0, 100.0);
      Triple lab{lightness, v[1], v[2]};
      if (form == Form::Lch) {
        const double chroma = std::max(v[1], 0.0);
        const double hue = v[2] * 3.14159265358979323846 / 180;
        lab = {lightness, chroma * std::cos(hue), chroma * std::sin(hue)};
      }
      return FromSrgb(Encoded(XyzD65ToLinearSrgb(XyzD50ToD65(LabToXyzD50(lab)))));
    }
    case Form::Oklab:
      return FromSrgb(Encoded(OklabToLinearSrgb({std::clamp(v[0], 0.0, 1.0), v[1], v[2]})));
    case Form::Oklch: {
      const Mapped mapped = OklchToWord({v[0], v[1], v[2]});
      return {mapped.word, mapped.mapped, {}};
    }
    case Form::Color:
      break;
  }
  return {};
}

enum class Space { Srgb, SrgbLinear, DisplayP3, XyzD65, XyzD50 };

struct SpaceName {
  std::string_view name;
  Space space;
};

constexpr std::array<SpaceName, 6> kSpaces{{{"srgb", Space::Srgb},
                                            {"srgb-linear", Space::SrgbLinear},
                                            {"display-p3", Space::DisplayP3},
                                            {"xyz", Space::XyzD65},
                                            {"xyz-d65", Space::XyzD65},
                                            {"xyz-d50", Space::XyzD50}}};

CssColour ConvertSpace(Space space, const std::array<double, 3>& v) {
  const Triple c{v[0], v[1], v[2]};
  switch (space) {
    case Space::Srgb:
      return FromSrgb(c);
    case Space::SrgbLinear:
      return FromSrgb(Encoded(c));
    case Space::DisplayP3:
      return FromSrgb(Encoded(XyzD65ToLinearSrgb(
          LinearP3ToXyzD65({SrgbToLinear(c.x), SrgbToLinear(c.y), SrgbToLinear(c.z)}))));
    case Space::XyzD65:
      return FromSrgb(Encoded(XyzD65ToLinearSrgb(c)));
    case Space::XyzD50:
      return FromSrgb(Encoded(XyzD65ToLinearSrgb(XyzD50ToD65(c))));
  }
  return {};
}

CssColour ReadFunction(std::string_view text, std::string_view name, std::string_view args) {
  const std::string lower = Lowered(name);
  if (lower == "var") {
    return Refuse(
        "var() takes its colour from the page's custom properties, which only the "
        "page knows.");
  }
  const auto function = std::find_if(kFunctions.begin(), kFunctions.end(),
                                     [&](const Function& f) { return f.name == lower; });
  if (function == kFunctions.end()) {
    return Refuse(lower + "() is not a colour function Huvenor reads.");
  }
  if (args.find('(') != std::string_view::npos) {
    return Refuse(lower + "() with a function inside it is not read: only a page works it out.");
  }
  std::vector<Token> tokens;
  const std::string wrong =
      lower + "() takes " + function->takes + ", optionally followed by / and an alpha.";
  if (!Tokenise(args, tokens)) return Refuse(wrong);
  std::span<const Token> components(tokens);
  std::optional<Space> space;
  if (function->form == Form::Color) {
    if (tokens.empty() || tokens.front().kind != Token::Kind::Ident) return Refuse(wrong);
    const std::string spaceName = Lowered(tokens.front().unit);
    for (const SpaceName& known : kSpaces) {
      if (known.name == spaceName) space = known.space;
    }
    if (!space) {
      return Refuse("color() in " + spaceName +
                    " is not read; Huvenor reads srgb, srgb-linear, display-p3, xyz, xyz-d50 "
                    "and xyz-d65.");
    }
    components = components.subspan(1);
  }
  const auto arguments = ReadArguments(*function, components);
  if (!arguments) return Refuse(wrong);
  const CssColour colour =
      space ? ConvertSpace(*space, arguments->values) : Convert(function->form, arguments->values);
  return Opaque(text, arguments->alpha, colour);
}

constexpr std::array<std::string_view, 42> kSystemColours{"accentcolor",
                                                          "accentcolortext",
                                                          "activeborder",
                                                          "activecaption",
                                                          "activetext",
                                                          "appworkspace",
                                                          "background",
                                                          "buttonborder",
                                                          "buttonface",
                                                          "buttonhighlight",
                                                          "buttonshadow",
                                                          "buttontext",
                                                          "canvas",
                                                          "canvastext",
                                                          "captiontext",
                                                          "field",
                                                          "fieldtext",
                                                          "graytext",
                                                          "highlight",
                                                          "highlighttext",
                                                          "inactiveborder",
                                                          "inactivecaption",
                                                          "inactivecaptiontext",
                                                          "infobackground",
                                                          "infotext",
                                                          "linktext",
                                                          "mark",
                                                          "marktext",
                                                          "menu",
                                                          "menutext",
                                                          "scrollbar",
                                                          "selecteditem",
                                                          "selecteditemtext",
                                                          "threeddarkshadow",
                                                          "threedface",
                                                          "threedhighlight",
                                                          "threedlightshadow",
                                                          "threedshadow",
                                                          "visitedtext",
                                                          "window",
                                                          "windowframe",
                                                          "windowtext"};

CssColour ReadKeyword(std::string_view text) {
  if (const auto named = NamedColour(text)) return {*named, false, {}};
  const std::string lower = Lowered(text);
  if (lower == "transparent") return Opaque(text, 0, {});
  if (lower == "currentcolor") {
    return Refuse("currentcolor is the colour of the text around it, which only the page knows.");
  }
  if (std::find(kSystemColours.begin(), kSystemColours.end(), lower) != kSystemColours.end()) {
    return Refuse(std::string(text) +
                  " is a system colour: each browser and desktop draws it its own way.");
  }
  return Refuse(std::string(text) + " is not a colour name CSS knows.");
}

}  // namespace

CssColour ReadCssColour(std::string_view text) {
  if (text.size() > kMaxText) return Refuse("The text is too long to be one colour.");
  text = Trim(text);
  // A whole declaration, as a stylesheet or a browser's tools copy it.
  for (const std::string_view property : {"color", "background-color"}) {
    if (StartsWithLetters(text, property) && Trim(text.substr(property.size())).starts_with(':')) {
      text = Trim(Trim(text.substr(property.size())).substr(1));
      break;
    }
  }
  if (!text.empty() && text.back() == ';') text = Trim(text.substr(0, text.size() - 1));
  if (text.empty()) return Refuse("There is no colour in the text.");
  if (text.front() == '#') return ReadHex(text, text.substr(1));
  const bool bareHex = text.size() == 6 && std::all_of(text.begin(), text.end(),
                                                       [](char c) { return HexValue(c) >= 0; });
  if (bareHex) return ReadHex(text, text);
  std::size_t end = 0;
  while (end < text.size() && (IsLetter(text[end]) || text[end] == '-')) ++end;
  if (end == 0) return Refuse("This is not a CSS colour.");
  if (end == text.size()) return ReadKeyword(text);
  if (text[end] != '(' || text.back() != ')') return Refuse("This is not a CSS colour.");
  return ReadFunction(text, text.substr(0, end), text.substr(end + 1, text.size() - end - 2));
}

}  // namespace colour
