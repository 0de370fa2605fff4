#include "colour/colour.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace colour {
namespace {

constexpr auto kReference = static_cast<ColourWord>(0x80000005);  // a system colour

TEST(ColorPart, TakesTheNamedByteOrZero) {
  // A system-colour reference reads its low bytes as they stand; part
  // numbers out of range give 0 whatever the word.
  const std::tuple<ColourWord, std::int16_t, Channel> cases[] = {
      {0x00C08040, 0, 0x40}, {0x00C08040, 1, 0x80}, {0x00C08040, 2, 0xC0},
      {kReference, 0, 5},    {kReference, 1, 0},    {static_cast<ColourWord>(0x80FFFFFF), 2, 255},
      {0x00FFFFFF, 3, 0},    {0x00FFFFFF, -1, 0},   {0x00FFFFFF, 100, 0}};
  for (const auto& [word, part, expected] : cases) {
    EXPECT_EQ(ColorPart(word, part), expected) << std::hex << word << " part " << part;
  }
  EXPECT_EQ(RGB(0x40, 0x80, 0xC0), 0x00C08040);
  EXPECT_EQ(RGB(255, 255, 255), 0x00FFFFFF);
}

TEST(ChannelText, IsShortestUpperCaseHexAndEveryChannelReadsBack) {
  const std::pair<Channel, const char*> texts[] = {{0, "0"},   {9, "9"},    {10, "A"},  {15, "F"},
                                                   {16, "10"}, {171, "AB"}, {255, "FF"}};
  for (const auto& [value, text] : texts) EXPECT_EQ(ChannelHexText(value), text);
  for (int value = kChannelMin; value <= kChannelMax; ++value) {
    const std::string text = ChannelHexText(static_cast<Channel>(value));
    EXPECT_EQ(ClampChannel(ChannelParse(text)), value) << text;
  }
}

TEST(ChannelParse, ReadsLeadingHexDigitsAndSaturates) {
  // Reading stops at the first character that is not a digit; a long paste
  // saturates rather than wrapping negative.
  constexpr std::int32_t kTop = 0x7FFFFFFF;
  const std::pair<const char*, std::int32_t> texts[] = {
      {"", 0},   {"a", 10},          {"0A", 10},         {"fF", 255},       {"FFF", 4095},
      {"1g", 1}, {"F\b", 15},        {"g1", 0},          {" 1", 0},         {"#FF", 0},
      {"\b", 0}, {"FFFFFFFF", kTop}, {"7FFFFFFF", kTop}, {"80000000", kTop}};
  for (const auto& [text, value] : texts) EXPECT_EQ(ChannelParse(text), value) << text;
  EXPECT_EQ(ChannelParse("123456789ABCDEF0123456789ABCDEF"), kTop);
}

TEST(FinalHex, IsRedGreenBlueTwoDigitsEach) {
  const std::pair<ColourWord, const char*> words[] = {
      {0x00C08040, "4080C0"}, {0, "000000"},          {0x00FFFFFF, "FFFFFF"},
      {0x000000FF, "FF0000"}, {0x00010203, "030201"}, {kReference, "050000"}};
  for (const auto& [word, text] : words) EXPECT_EQ(FinalHex(word), text) << std::hex << word;
}

}  // namespace
}  // namespace colour
