#include "colour/readable.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "colour/contrast.h"

namespace colour {

namespace {

Channel ToChannel(double unit) {
  return static_cast<Channel>(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0));
}

// Every channel of hsl(h, s, l) rises with l, so the luminance of the 8-bit
// colour does too: on each side of the target the colours that pass form
// one run reaching to black or to white, and a bisection finds its edge:
// `passing` passes and `failing` fails throughout, and halving to 1e-12
// leaves no other 8-bit colour between them.
ColourWord Edge(Hsl hsl, double passing, double failing, ColourWord other, double threshold) {
  for (int i = 0; i < 44 && std::abs(passing - failing) > 1e-12; ++i) {
    hsl.lightness = (passing + failing) / 2;
    if (ContrastRatio(FromCssHsl(hsl), other) >= threshold) {
      passing = hsl.lightness;
    } else {
      failing = hsl.lightness;
    }
  }
  hsl.lightness = passing;
  return FromCssHsl(hsl);
}

}  // namespace

Hsl CssHsl(ColourWord word) {
  const double red = ColorPart(word, 0) / 255.0;
  const double green = ColorPart(word, 1) / 255.0;
  const double blue = ColorPart(word, 2) / 255.0;
  const double max = std::max({red, green, blue});
  const double min = std::min({red, green, blue});
  const double delta = max - min;
  Hsl hsl{0.0, 0.0, (max + min) / 2};
  if (delta == 0) return hsl;
  if (hsl.lightness > 0 && hsl.lightness < 1) {
    hsl.saturation = (max - hsl.lightness) / std::min(hsl.lightness, 1 - hsl.lightness);
  }
  double sector = 0;
  if (max == red) {
    sector = (green - blue) / delta + (green < blue ? 6 : 0);
  } else if (max == green) {
    sector = (blue - red) / delta + 2;
  } else {
    sector = (red - green) / delta + 4;
  }
  hsl.hue = sector * 60;
  return hsl;
}

ColourWord FromCssHsl(const Hsl& hsl) {
  const double lightness = std::clamp(hsl.lightness, 0.0, 1.0);
  const double hue = std::fmod(std::fmod(hsl.hue, 360.0) + 360.0, 360.0);
  const double amount = hsl.saturation * std::min(lightness, 1 - lightness);
  const auto channel = [&](double n) {
    const double k = std::fmod(n + hue / 30, 12);
    return ToChannel(lightness - amount * std::max(-1.0, std::min({k - 3, 9 - k, 1.0})));
  };
  return RGB(channel(0), channel(8), channel(4));
}

Readable MakeReadable(ColourWord target, ColourWord other, double threshold) {
  const double now = ContrastRatio(target, other);
  if (now >= threshold) return {true, target, now};
  const Hsl hsl = CssHsl(target);
  const auto at = [&](double lightness) {
    return FromCssHsl({hsl.hue, hsl.saturation, lightness});
  };
  const double darkest = ContrastRatio(at(0), other);
  const double lightest = ContrastRatio(at(1), other);
  std::optional<ColourWord> darker;
  std::optional<ColourWord> lighter;
  if (darkest >= threshold) darker = Edge(hsl, 0, hsl.lightness, other, threshold);
  if (lightest >= threshold) lighter = Edge(hsl, 1, hsl.lightness, other, threshold);
  if (!darker && !lighter) return {false, target, std::max(darkest, lightest)};
  if (!darker || !lighter) {
    const ColourWord only = darker ? *darker : *lighter;
    return {true, only, ContrastRatio(only, other)};
  }
  const double darkerShift = hsl.lightness - CssHsl(*darker).lightness;
  const double lighterShift = CssHsl(*lighter).lightness - hsl.lightness;
  const double darkerRatio = ContrastRatio(*darker, other);
  const double lighterRatio = ContrastRatio(*lighter, other);
  const bool takeDarker =
      darkerShift < lighterShift || (darkerShift == lighterShift && darkerRatio >= lighterRatio);
  return takeDarker ? Readable{true, *darker, darkerRatio} : Readable{true, *lighter, lighterRatio};
}

AllReadable MakeAllReadable(const Swatches& swatches, Side side, double threshold) {
  AllReadable result{swatches, {}, {}};
  for (std::size_t i = 0; i < swatches.size(); ++i) {
    ColourPair& pair = result.swatches[i];
    ColourWord& target = side == Side::Text ? pair.text : pair.background;
    const Readable readable =
        MakeReadable(target, side == Side::Text ? pair.background : pair.text, threshold);
    if (!readable.reached) {
      result.unreachable.push_back(i);
    } else if (readable.colour != target) {
      target = readable.colour;
      result.changed.push_back(i);
    }
  }
  return result;
}

std::string DescribeAllReadable(const AllReadable& result, std::string_view level) {
  const std::string at(level);
  if (result.changed.empty() && result.unreachable.empty()) {
    return "Every swatch already reaches " + at + ".";
  }
  const std::size_t changed = result.changed.size();
  std::string text = "Made " + std::to_string(changed) + (changed == 1 ? " swatch" : " swatches") +
                     " readable at " + at;
  const std::vector<std::size_t>& unreachable = result.unreachable;
  if (!unreachable.empty()) {
    text += unreachable.size() == 1 ? "; swatch " : "; swatches ";
    for (std::size_t i = 0; i < unreachable.size(); ++i) {
      if (i > 0) text += i + 1 == unreachable.size() ? " and " : ", ";
      text += std::to_string(unreachable[i] + 1);
    }
    text += " cannot reach it by lightness";
  }
  return text + ".";
}

}  // namespace colour
