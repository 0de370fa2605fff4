#include "colour/csswrite.h"

#include <gtest/gtest.h>

#include <tuple>

#include "colour/cssparse.h"

namespace colour {
namespace {

TEST(CssText, WritesTheFewestDecimalsAndNoneForGreys) {
  const std::tuple<ColourWord, const char*, const char*> rows[] = {
      {0x000000FF, "hsl(0 100% 50%)", "oklch(62.8% 0.2577 29.23)"},
      {0x00FFFFFF, "hsl(none 0% 100%)", "oklch(100% 0 none)"},
      {0x00000000, "hsl(none 0% 0%)", "oklch(0% 0 none)"},
  };
  for (const auto& [word, hsl, oklch] : rows) {
    EXPECT_EQ(CssHslText(word), hsl);
    EXPECT_EQ(CssOklchText(word), oklch);
  }
}

// What is copied reads back, without any gamut mapping, as the same colour:
// every grey, a prime step's sample of about 4,000 colours, and #0BEA00,
// whose oklch() needs its last digits nudged to read back.
TEST(CssText, ReadsBackAsTheSameColour) {
  const auto check = [](ColourWord word) {
    for (const std::string& text : {CssHslText(word), CssOklchText(word)}) {
      const CssColour read = ReadCssColour(text);
      ASSERT_EQ(read.word, word) << text;
      ASSERT_FALSE(read.mapped) << text;
    }
  };
  for (Channel grey = 0; grey <= 255; ++grey) check(RGB(grey, grey, grey));
  for (ColourWord word = 0; word <= 0x00FFFFFF; word += 4099) check(word);
  check(0x0000EA0B);
}

}  // namespace
}  // namespace colour
