#include "colour/readable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

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

// Every swatch black on white but those named, whose expected colours are
// published (#767676) or found by walking lightness outside this code.
TEST(MakeAllReadable, MovesOnlyTheChosenSideOfFailingSwatches) {
  Swatches swatches;
  swatches.fill({kBlack, kWhite});
  swatches[0] = {0x00777777, kWhite};
  swatches[4] = {0x000000FF, kWhite};  // #FF0000
  swatches[8] = {kWhite, 0x00777777};  // white can only darken, to the far side
  swatches[9] = {0x00FF0000, kWhite};  // #0000FF passes already
  const AllReadable text = MakeAllReadable(swatches, Side::Text, kAANormal);
  EXPECT_EQ(text.changed, (std::vector<std::size_t>{0, 4, 8}));
  EXPECT_TRUE(text.unreachable.empty());
  Swatches expected = swatches;
  expected[0].text = 0x00767676;
  expected[4].text = 0x000000EE;
  expected[8].text = 0x00060606;
  EXPECT_EQ(text.swatches, expected);

  swatches[6] = {kBlack, 0x00808080};
  // No background reaches 7:1 on #777777 (black 4.69) or on #FF0000 (5.25).
  const AllReadable background = MakeAllReadable(swatches, Side::Background, kAAANormal);
  EXPECT_EQ(background.changed, (std::vector<std::size_t>{6, 8}));
  EXPECT_EQ(background.unreachable, (std::vector<std::size_t>{0, 4}));
  expected = swatches;
  expected[6].background = 0x00959595;
  expected[8].background = 0x00595959;
  EXPECT_EQ(background.swatches, expected);
}

TEST(DescribeAllReadable, CountsWhatChangedAndNamesWhatCannot) {
  AllReadable result{};
  EXPECT_EQ(DescribeAllReadable(result, "AA"), "Every swatch already reaches AA.");
  result.changed = {0};
  EXPECT_EQ(DescribeAllReadable(result, "AAA"), "Made 1 swatch readable at AAA.");
  result.changed = {0, 1, 3, 4, 5};
  result.unreachable = {8};
  EXPECT_EQ(DescribeAllReadable(result, "AA"),
            "Made 5 swatches readable at AA; swatch 9 cannot reach it by lightness.");
  result.unreachable = {2, 8, 11};
  EXPECT_EQ(DescribeAllReadable(result, "Large Text AA"),
            "Made 5 swatches readable at Large Text AA; swatches 3, 9 and 12 cannot reach it "
            "by lightness.");
}

}  // namespace
}  // namespace colour
