#include "colour/colour.h"

#include <gtest/gtest.h>

#include <string>

namespace colour {
namespace {

struct PartCase {
  ColourWord word;
  std::int16_t part;
  Channel expected;
};

class ColorPartTest : public testing::TestWithParam<PartCase> {};

TEST_P(ColorPartTest, TakesTheNamedByte) {
  const PartCase& c = GetParam();
  EXPECT_EQ(ColorPart(c.word, c.part), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ColorPartTest,
    testing::Values(PartCase{0x00C08040, 0, 0x40}, PartCase{0x00C08040, 1, 0x80},
                    PartCase{0x00C08040, 2, 0xC0},
                    // A system-colour reference reads its low bytes as they stand.
                    PartCase{static_cast<ColourWord>(0x80000005), 0, 5},
                    PartCase{static_cast<ColourWord>(0x80000005), 1, 0},
                    PartCase{static_cast<ColourWord>(0x80FFFFFF), 2, 255},
                    // Out-of-range part numbers give 0 whatever the word.
                    PartCase{0x00FFFFFF, 3, 0}, PartCase{0x00FFFFFF, -1, 0},
                    PartCase{0x00FFFFFF, 100, 0}));

TEST(Rgb, PutsRedInTheLowByte) {
  EXPECT_EQ(RGB(0x40, 0x80, 0xC0), 0x00C08040);
  EXPECT_EQ(RGB(255, 0, 0), 0x000000FF);
  EXPECT_EQ(RGB(255, 255, 255), 0x00FFFFFF);
  EXPECT_EQ(RGB(0, 0, 0), 0);
}

struct HexCase {
  Channel value;
  const char* text;
};

class ChannelHexTextTest : public testing::TestWithParam<HexCase> {};

TEST_P(ChannelHexTextTest, IsShortestUpperCase) {
  EXPECT_EQ(ChannelHexText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, ChannelHexTextTest,
                         testing::Values(HexCase{0, "0"}, HexCase{9, "9"}, HexCase{10, "A"},
                                         HexCase{15, "F"}, HexCase{16, "10"}, HexCase{171, "AB"},
                                         HexCase{255, "FF"}));

struct ParseCase {
  const char* text;
  std::int32_t expected;
};

class ChannelParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ChannelParseTest, ReadsLeadingHexDigits) {
  EXPECT_EQ(ChannelParse(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ChannelParseTest,
    testing::Values(ParseCase{"", 0}, ParseCase{"a", 10}, ParseCase{"A", 10}, ParseCase{"0a", 10},
                    ParseCase{"0A", 10}, ParseCase{"ff", 255}, ParseCase{"FF", 255},
                    ParseCase{"fF", 255}, ParseCase{"FFF", 4095},
                    // Reading stops at the first character that is not a digit.
                    ParseCase{"1g", 1}, ParseCase{"F\b", 15}, ParseCase{"g1", 0},
                    ParseCase{" 1", 0}, ParseCase{"#FF", 0}, ParseCase{"\b", 0},
                    // A long paste saturates rather than wrapping negative.
                    ParseCase{"FFFFFFFF", 0x7FFFFFFF},
                    ParseCase{"123456789ABCDEF0123456789ABCDEF", 0x7FFFFFFF},
                    ParseCase{"7FFFFFFF", 0x7FFFFFFF}, ParseCase{"80000000", 0x7FFFFFFF}));

TEST(ChannelText, EveryChannelSurvivesItsHexText) {
  for (int value = kChannelMin; value <= kChannelMax; ++value) {
    const std::string text = ChannelHexText(static_cast<Channel>(value));
    EXPECT_EQ(ClampChannel(ChannelParse(text)), value) << text;
  }
}

struct FinalCase {
  ColourWord word;
  const char* text;
};

class FinalHexTest : public testing::TestWithParam<FinalCase> {};

TEST_P(FinalHexTest, IsRedGreenBlueTwoDigitsEach) {
  EXPECT_EQ(FinalHex(GetParam().word), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Words, FinalHexTest,
                         testing::Values(FinalCase{0x00C08040, "4080C0"},
                                         FinalCase{0x00000000, "000000"},
                                         FinalCase{0x00FFFFFF, "FFFFFF"},
                                         FinalCase{0x000000FF, "FF0000"},
                                         FinalCase{0x00010203, "030201"},
                                         FinalCase{static_cast<ColourWord>(0x80000005), "050000"},
                                         FinalCase{static_cast<ColourWord>(0x80000008), "080000"}));

}  // namespace
}  // namespace colour
