#include "colour/contrast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace colour {
namespace {

TEST(ContrastRatio, MatchesPublishedExamplesEitherWayRound) {
  // Text, background, and the ratio as published to two decimals; the last
  // takes the low-value branch of the sRGB curve (10/255 is under 0.04045).
  const std::tuple<ColourWord, ColourWord, double> pairs[] = {
      {0x00000000, 0x00FFFFFF, 21.0}, {0x00777777, 0x00FFFFFF, 4.48},
      {0x00767676, 0x00FFFFFF, 4.54}, {0x00FFFFFF, 0x000000FF, 4.00},
      {0x00123456, 0x00123456, 1.0},  {0x000A0A0A, 0x00000000, 1.06}};
  for (const auto& [text, background, published] : pairs) {
    const double ratio = ContrastRatio(text, background);
    EXPECT_NEAR(ratio, published, 0.005) << std::hex << text << " on " << background;
    EXPECT_DOUBLE_EQ(ratio, ContrastRatio(background, text)) << "order does not matter";
  }
}

// The levels are a table; a digit wrong in one shows only at that level.
TEST(LinearChannel, FollowsTheSrgbCurveAtEveryLevel) {
  for (Channel level = 0; level <= 255; ++level) {
    const double e = level / 255.0;
    EXPECT_DOUBLE_EQ(LinearChannel(level),
                     e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4))
        << "level " << level;
  }
}

TEST(Judge, UsesTheUnroundedRatio) {
  // The ratio, then normal text AA and AAA, large text AA and AAA, and
  // user-interface components.
  const std::tuple<double, bool, bool, bool, bool, bool> cases[] = {
      {2.999, false, false, false, false, false}, {3.0, false, false, true, false, true},
      {4.499, false, false, true, false, true},   {4.5, true, false, true, true, true},
      {6.999, true, false, true, true, true},     {7.0, true, true, true, true, true}};
  for (const auto& [ratio, aa, aaa, largeAA, largeAAA, components] : cases) {
    const Verdicts got = Judge(ratio);
    EXPECT_EQ(std::tuple(got.normalAA, got.normalAAA, got.largeAA, got.largeAAA, got.components),
              std::tuple(aa, aaa, largeAA, largeAAA, components))
        << ratio;
  }
  // Shown rounded, yet judged as it is.
  EXPECT_NE(ContrastSummary(4.499).find("4.50:1"), std::string::npos);
  EXPECT_NE(ContrastSummary(4.499).find("Normal text: AA fail"), std::string::npos);
}

TEST(ContrastReport, GivesEveryVerdictWithItsThreshold) {
  EXPECT_EQ(ContrastReport(0x00777777, 0x00FFFFFF),
            "Text #777777 on background #FFFFFF: contrast 4.48:1\n"
            "Normal text: AA fail (needs 4.5), AAA fail (needs 7)\n"
            "Large text: AA pass (needs 3), AAA fail (needs 4.5)\n"
            "User-interface components: pass (needs 3)");
  EXPECT_EQ(ContrastReport(0x00FFFFFF, 0x00000000),
            "Text #FFFFFF on background #000000: contrast 21.00:1\n"
            "Normal text: AA pass (needs 4.5), AAA pass (needs 7)\n"
            "Large text: AA pass (needs 3), AAA pass (needs 4.5)\n"
            "User-interface components: pass (needs 3)");
  EXPECT_NE(ContrastReport(0x00FFFFFF, 0x00FFFFFF).find("components: fail"), std::string::npos);
}

}  // namespace
}  // namespace colour
