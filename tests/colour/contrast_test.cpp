#include "colour/contrast.h"

#include <gtest/gtest.h>

namespace colour {
namespace {

struct RatioCase {
  ColourWord text;
  ColourWord background;
  double ratio;  // as published, to two decimals
  bool normalAA;
};

class ContrastTest : public testing::TestWithParam<RatioCase> {};

TEST_P(ContrastTest, MatchesPublishedExamples) {
  const RatioCase& c = GetParam();
  const double ratio = ContrastRatio(c.text, c.background);
  EXPECT_NEAR(ratio, c.ratio, 0.005);
  EXPECT_DOUBLE_EQ(ratio, ContrastRatio(c.background, c.text)) << "order does not matter";
  EXPECT_EQ(Judge(ratio).normalAA, c.normalAA);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, ContrastTest,
    testing::Values(RatioCase{0x00000000, 0x00FFFFFF, 21.0, true},
                    RatioCase{0x00777777, 0x00FFFFFF, 4.48, false},
                    RatioCase{0x00767676, 0x00FFFFFF, 4.54, true},
                    RatioCase{0x00FFFFFF, 0x000000FF, 4.00, false},  // white on red
                    RatioCase{0x00123456, 0x00123456, 1.0, false},
                    // The low-value branch of the sRGB curve: 10/255 is under 0.04045.
                    RatioCase{0x000A0A0A, 0x00000000, 1.06, false}));

TEST(Judge, UsesTheUnroundedRatio) {
  const Verdicts nearly = Judge(4.499);
  EXPECT_FALSE(nearly.normalAA);
  EXPECT_FALSE(nearly.largeAAA);
  EXPECT_TRUE(nearly.largeAA);
  EXPECT_NE(ContrastSummary(4.499).find("4.50:1"), std::string::npos);
  EXPECT_NE(ContrastSummary(4.499).find("Normal text: AA fail"), std::string::npos);
  const Verdicts seven = Judge(7.0);
  EXPECT_TRUE(seven.normalAAA);
  EXPECT_FALSE(Judge(2.999).largeAA);
}

TEST(CssText, WritesHexRgbAndPairs) {
  EXPECT_EQ(CssHex(0x00C08040), "#4080C0");
  EXPECT_EQ(CssRgb(0x00C08040), "rgb(64, 128, 192)");
  EXPECT_EQ(CssPair(0x00FFFFFF, 0x000000FF), "color: #FFFFFF;\nbackground-color: #FF0000;");
}

struct ParseCase {
  const char* text;
  std::optional<ColourWord> word;
};

class ParseCssColourTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCssColourTest, TakesTheFourFormsAndNothingElse) {
  EXPECT_EQ(ParseCssColour(GetParam().text), GetParam().word) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseCssColourTest,
    testing::Values(
        ParseCase{"#4080C0", 0x00C08040}, ParseCase{"4080c0", 0x00C08040},
        ParseCase{" #4080C0\n", 0x00C08040}, ParseCase{"#F80", 0x000088FF},
        ParseCase{"rgb(64, 128, 192)", 0x00C08040}, ParseCase{"rgb(64,128,192)", 0x00C08040},
        ParseCase{"RGB( 0 , 0 , 255 )", 0x00FF0000}, ParseCase{"", std::nullopt},
        ParseCase{"#", std::nullopt}, ParseCase{"#4080C", std::nullopt},
        ParseCase{"F80", std::nullopt}, ParseCase{"#40 80C0", std::nullopt},
        ParseCase{"#4080CG", std::nullopt}, ParseCase{"rgb(256, 0, 0)", std::nullopt},
        ParseCase{"rgb(1, 2)", std::nullopt}, ParseCase{"rgb(1, 2, 3, 4)", std::nullopt},
        ParseCase{"rgb(-1, 2, 3)", std::nullopt}, ParseCase{"rgb(1, 2, 3", std::nullopt},
        ParseCase{"rgba(1, 2, 3)", std::nullopt}, ParseCase{"rgb(0001, 2, 3)", std::nullopt},
        ParseCase{"red", std::nullopt}));

}  // namespace
}  // namespace colour
