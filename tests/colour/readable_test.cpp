#include "colour/readable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "colour/contrast.h"

namespace colour {
namespace {

constexpr ColourWord kWhite = 0x00FFFFFF;
constexpr ColourWord kBlack = 0x00000000;

TEST(CssHsl, ReadsAsCssAndComesBackExactly) {
  const Hsl steel = CssHsl(0x00C08040);  // #4080C0
  EXPECT_DOUBLE_EQ(steel.hue, 210);
  EXPECT_NEAR(steel.saturation, 64.0 / 127, 1e-12);
  EXPECT_NEAR(steel.lightness, 128.0 / 255, 1e-12);
  EXPECT_DOUBLE_EQ(CssHsl(0x00FF00FF).hue, 300);  // magenta: red is the max, green < blue
  // A prime step visits about 4,000 colours spread over every channel.
  for (ColourWord word = 0; word <= 0x00FFFFFF; word += 4099) {
    ASSERT_EQ(FromCssHsl(CssHsl(word)), word) << std::hex << word;
  }
}

// The answer by brute force, walking lightness in fine steps out from the
// target on both sides: the first passing colour on each side, the one whose
// own lightness is nearer the target's winning, the higher ratio on a tie;
// when neither side passes, the target and the best ratio met.
Readable Walked(ColourWord target, ColourWord other, double threshold) {
  Readable best{false, target, ContrastRatio(target, other)};
  if (best.ratio >= threshold) return {true, target, best.ratio};
  const Hsl hsl = CssHsl(target);
  double bestShift = 2;
  for (const double step : {-1e-6, 1e-6}) {
    ColourWord seen = target;
    for (double l = hsl.lightness + step; l >= 0 && l <= 1; l += step) {
      const ColourWord word = FromCssHsl({hsl.hue, hsl.saturation, l});
      if (word == seen) continue;
      seen = word;
      const double ratio = ContrastRatio(word, other);
      if (ratio < threshold) {
        if (!best.reached) best.ratio = std::max(best.ratio, ratio);
        continue;
      }
      const double shift = std::abs(CssHsl(word).lightness - hsl.lightness);
      if (shift < bestShift || (shift == bestShift && ratio > best.ratio)) {
        best = {true, word, ratio};
        bestShift = shift;
      }
      break;
    }
  }
  return best;
}

TEST(MakeReadable, MovesLightnessLeastToTheThresholdOrLeavesThePair) {
  EXPECT_EQ(MakeReadable(0x00777777, kWhite, kAANormal).colour, 0x00767676);
  EXPECT_EQ(MakeReadable(0x000000FF, kWhite, kAANormal).colour, 0x000000EE);  // lightest (R, 0, 0)
  // Target, other colour, threshold. The first passes already; no lightness
  // rescues the last three (AAA against a mid-tone: black reaches 4.69,
  // white 4.48).
  const std::tuple<ColourWord, ColourWord, double> cases[] = {
      {kBlack, kWhite, kAAANormal},         {0x00777777, kWhite, kAANormal},
      {0x000000FF, kWhite, kAANormal},      {0x000000FF, kWhite, kAAANormal},
      {0x0000FF00, kWhite, kAALarge},       {0x0000FF00, 0x00808080, kAALarge},
      {0x00FF0000, kBlack, kAAANormal},     {0x00C08040, 0x00102030, kAAANormal},
      {0x00FFFF00, 0x00FF8000, kAANormal},  {0x008000C0, 0x00808080, kAALarge},
      {0x0080C0E0, 0x00C0C0C0, kAANormal},  {0x00808080, 0x00808080, kAALarge},
      {0x000000FF, 0x00777777, kAAANormal}, {0x00777777, 0x00777777, kAAANormal},
      {0x00C08040, 0x00777777, kAAANormal}};
  for (const auto& [target, other, threshold] : cases) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << target << " on " << other << " to " << threshold);
    const Readable walked = Walked(target, other, threshold);
    const Readable result = MakeReadable(target, other, threshold);
    EXPECT_EQ(std::tuple(result.reached, result.colour), std::tuple(walked.reached, walked.colour));
    EXPECT_DOUBLE_EQ(result.ratio, walked.ratio);
  }
}

}  // namespace
}  // namespace colour
