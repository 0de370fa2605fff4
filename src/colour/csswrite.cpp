#include "colour/csswrite.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

#include "colour/readable.h"
#include "colour/spaces.h"

namespace colour {

namespace {

using Values = std::array<double, 3>;
using Decimals = std::array<int, 3>;

// A chroma this small is a grey's, whose hue means nothing.
constexpr double kPowerlessChroma = 0.000004;

// What is written reads back a hundredth of a step inside the right word.
constexpr double kMargin = 0.01;

double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// The rounded value as text without trailing zeros; never "-0".
std::string Number(double value, int decimals) {
  char text[48];
  const double rounded = Rounded(value, decimals);
  std::snprintf(text, sizeof text, "%.*f", decimals, rounded == 0 ? 0.0 : rounded);
  std::string number = text;
  if (number.find('.') != std::string::npos) {
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') number.pop_back();
  }
  return number;
}

// The values to write and their decimals.
struct Written {
  Values values;
  Decimals decimals;
};

// The fewest decimals for each value, up to `most`, that still read back
// (`reads`), taken one value at a time: each is cut as far as the values
// before it, already cut, allow.
//
// Where even `most` decimals do not read back (a dark channel beside a
// bright one magnifies the last digit's error through the sRGB curve), the
// last digits are nudged, by one unit and then by two, within 0..`upper`,
// to the first combination that does. Every 8-bit colour finds one.
Written Fewest(const Values& values, const Decimals& most, const Values& upper,
               const std::function<bool(const Values&)>& reads) {
  const auto rounded = [&](const Decimals& decimals) {
    Values r{};
    for (std::size_t i = 0; i < values.size(); ++i) r[i] = Rounded(values[i], decimals[i]);
    return r;
  };
  const Values finest = rounded(most);
  if (!reads(finest)) {
    for (int reach = 1; reach <= 2; ++reach) {
      const int side = 2 * reach + 1;
      for (int n = 0; n < side * side * side; ++n) {
        const std::array<int, 3> nudge{n % side - reach, n / side % side - reach,
                                       n / (side * side) - reach};
        Values v = finest;
        bool inRange = true;
        for (std::size_t i = 0; i < v.size(); ++i) {
          v[i] += nudge[i] * std::pow(10.0, -most[i]);
          inRange = inRange && v[i] >= 0 && v[i] <= upper[i];
        }
        if (inRange && reads(v)) return {v, most};
      }
    }
    return {finest, most};
  }
  Decimals decimals = most;
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (int d = 0; d < most[i]; ++d) {
      decimals[i] = d;
      if (reads(rounded(decimals))) break;
      decimals[i] = most[i];
    }
  }
  return {rounded(decimals), decimals};
}

}  // namespace

std::string CssHslText(ColourWord word) {
  const Hsl hsl = CssHsl(word);
  const bool grey = hsl.saturation == 0;
  const Values values{hsl.hue, hsl.saturation * 100, hsl.lightness * 100};
  const Range range = EncodedRange(word, kMargin);
  const auto [v, d] =
      Fewest(values, {grey ? 0 : 2, 2, 2}, {360, 100, 100}, [&](const Values& read) {
        return range.Holds(HslToSrgb(read[0], read[1] / 100, read[2] / 100));
      });
  const bool fullCircle = Rounded(v[0], d[0]) >= 360;
  const std::string hue = grey ? "none" : Number(fullCircle ? 0 : v[0], d[0]);
  return "hsl(" + hue + " " + Number(v[1], d[1]) + "% " + Number(v[2], d[2]) + "%)";
}

std::string CssOklchText(ColourWord word) {
  const Triple lch = OklabToOklch(WordToOklab(word));
  const bool grey = lch.y <= kPowerlessChroma;
  const Values values{lch.x * 100, grey ? 0 : lch.y, grey ? 0 : lch.z};
  // Text that only reads back through gamut mapping would not show the
  // colour's own coordinates: the range holds before any mapping. Checked in
  // linear light, a try costs no transfer curve.
  const Range range = LinearRange(word, kMargin);
  const auto [v, d] = Fewest(values, {2, 4, grey ? 0 : 2}, {100, 1, 360}, [&](const Values& read) {
    return range.Holds(OklchToLinearSrgb({read[0] / 100, read[1], read[2]}));
  });
  // A hue that rounds up to 360 is written as 0, its other name.
  const bool fullCircle = Rounded(v[2], d[2]) >= 360;
  const std::string hue = grey ? "none" : Number(fullCircle ? 0 : v[2], d[2]);
  return "oklch(" + Number(v[0], d[0]) + "% " + Number(v[1], d[1]) + " " + hue + ")";
}

}  // namespace colour
