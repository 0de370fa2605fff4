#include "colour/readable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

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

// The answer found by walking every lightness in fine steps out from the
// target on both sides: the first passing colour on each side, the one
// whose own lightness is nearer the target's winning.
std::optional<ColourWord> Walked(ColourWord target, ColourWord other, double threshold) {
  if (ContrastRatio(target, other) >= threshold) return target;
  const Hsl hsl = CssHsl(target);
  std::optional<ColourWord> best;
  double bestShift = 2;
  for (const double step : {-1e-6, 1e-6}) {
    ColourWord seen = target;
    for (double l = hsl.lightness; l >= -step && l <= 1 - step; l += step) {
      const ColourWord word = FromCssHsl({hsl.hue, hsl.saturation, l + step});
      if (word == seen) continue;
      seen = word;
      if (ContrastRatio(word, other) < threshold) continue;
      const double shift = std::abs(CssHsl(word).lightness - hsl.lightness);
      if (shift < bestShift ||
          (shift == bestShift && ContrastRatio(word, other) > ContrastRatio(*best, other))) {
        best = word;
        bestShift = shift;
      }
      break;
    }
  }
  return best;
}

struct ReadableCase {
  ColourWord target;
  ColourWord other;
  double threshold;
  std::optional<ColourWord> expected;  // nothing: the walk decides
};

class MakeReadableTest : public testing::TestWithParam<ReadableCase> {};

TEST_P(MakeReadableTest, MovesLightnessLeastToTheThreshold) {
  const ReadableCase& c = GetParam();
  const Readable result = MakeReadable(c.target, c.other, c.threshold);
  ASSERT_TRUE(result.reached);
  EXPECT_DOUBLE_EQ(result.ratio, ContrastRatio(result.colour, c.other));
  EXPECT_EQ(result.colour, c.expected.value_or(*Walked(c.target, c.other, c.threshold)))
      << std::hex << result.colour;
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, MakeReadableTest,
    testing::Values(ReadableCase{0x00777777, kWhite, kAANormal, 0x00767676},
                    ReadableCase{0x000000FF, kWhite, kAANormal, 0x000000EE},  // lightest (R, 0, 0)
                    ReadableCase{kBlack, kWhite, kAAANormal, kBlack},         // passes: no change
                    ReadableCase{0x000000FF, kWhite, kAAANormal, {}},
                    ReadableCase{0x0000FF00, kWhite, kAALarge, {}},
                    ReadableCase{0x0000FF00, 0x00808080, kAALarge, {}},
                    ReadableCase{0x00FF0000, kBlack, kAAANormal, {}},
                    ReadableCase{0x00C08040, 0x00102030, kAAANormal, {}},
                    ReadableCase{0x00FFFF00, 0x00FF8000, kAANormal, {}},
                    ReadableCase{0x008000C0, 0x00808080, kAALarge, {}},
                    ReadableCase{0x0080C0E0, 0x00C0C0C0, kAANormal, {}},
                    ReadableCase{0x00808080, 0x00808080, kAALarge, {}}));

TEST(MakeReadable, LeavesAPairNoLightnessCanRescue) {
  // AAA against a mid-tone: black reaches 4.69, white 4.48.
  for (const ColourWord target : {0x000000FF, 0x00777777, 0x00C08040}) {
    const Readable result = MakeReadable(target, 0x00777777, kAAANormal);
    EXPECT_FALSE(result.reached);
    EXPECT_EQ(result.colour, target);
    EXPECT_DOUBLE_EQ(result.ratio, ContrastRatio(kBlack, 0x00777777));
  }
}

}  // namespace
}  // namespace colour
