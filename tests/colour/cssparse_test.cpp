#include "colour/cssparse.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "colour/spaces.h"

namespace colour {
namespace {

// Published conversions: CSS Color 4's examples, the web-platform tests',
// Ottosson's and the named-colour table; the last column says whether the
// colour lay visibly outside sRGB.
TEST(ReadCssColour, ReadsEachFormAsPublished) {
  const std::tuple<const char*, ColourWord, bool> rows[] = {
      {"#F80", 0x000088FF, false},
      {"#f80F", 0x000088FF, false},
      {"#4080C0ff", 0x00C08040, false},
      {"4080c0", 0x00C08040, false},
      {"rgb(64, 128, 192)", 0x00C08040, false},
      {"rgba(64,128,192,1)", 0x00C08040, false},
      {"rgb(25% 50% 75% / 100%)", 0x00BF8040, false},
      {"RGB(none 128 192)", 0x00C08000, false},
      {"rgb(300 -5 0)", 0x000000FF, false},
      {"hsl(120 30% 50%)", 0x0059A659, false},
      {"hsl(10 100% 50%)", 0x00002BFF, false},
      {"hsla(120, 30%, 50%, 1)", 0x0059A659, false},
      {"hsl(120deg 30 50)", 0x0059A659, false},
      {"hsl(0.5turn 100% 50%)", 0x00FFFF00, false},
      {"hsl(200grad 100% 50%)", 0x00FFFF00, false},
      {"hsl(3.14159265rad 100% 50%)", 0x00FFFF00, false},
      {"hsl(none 0% 50%)", 0x00808080, false},
      {"hwb(120 30% 50%)", 0x004D804D, false},
      {"hwb(320deg 30% 40%)", 0x00804D99, false},
      {"hwb(0 60% 60%)", 0x00808080, false},
      {"lab(54.29 80.8 69.89)", 0x000000FF, false},
      {"lab(50% 0 0)", 0x00777777, false},
      {"lch(54.29 106.84 40.85)", 0x000000FF, false},
      {"oklab(0.62796 0.22486 0.12585)", 0x000000FF, false},
      {"oklch(62.8% 0.2577 29.23)", 0x000000FF, false},
      {"oklch(0.86644 0.29483 142.495)", 0x0000FF00, false},
      {"oklch(0.45201 0.31321 264.052)", 0x00FF0000, false},
      {"oklch(50% 0.2 0)", 0x005F06B4, false},
      {"oklch(80% 0.15 160)", 0x009CDB52, false},
      {"oklch(1 0 none)", 0x00FFFFFF, false},
      {"oklch(100% 0.3 30)", 0x00FFFFFF, true},
      {"oklch(0% 0.3 30)", 0x00000000, true},
      {"color(srgb 1 0.5 0)", 0x000080FF, false},
      {"color(srgb-linear 0.2158605 0.2158605 100%)", 0x00FF8080, false},
      {"color(display-p3 1 1 1)", 0x00FFFFFF, false},
      {"color(xyz-d65 0.95047 1 1.08883)", 0x00FFFFFF, false},
      {"color(xyz-d50 0.96422 1 0.82521)", 0x00FFFFFF, false},
      {"RebeccaPurple", 0x00993366, false},
      {"YELLOWGREEN", 0x0032CD9A, false},
      {"aliceblue", 0x00FFF8F0, false},
      {"grey", 0x00808080, false},
      {" color: #4080C0; ", 0x00C08040, false},
      {"background-color :rgb(64 128 192);", 0x00C08040, false},
      {"\tred;\n", 0x000000FF, false},
  };
  for (const auto& [text, word, mapped] : rows) {
    const CssColour read = ReadCssColour(text);
    EXPECT_EQ(read.word, word) << text << ": " << read.refusal;
    EXPECT_EQ(read.mapped, mapped) << text;
  }
}

// Colours far outside sRGB keep their OkLCh lightness and hue within a
// just-noticeable difference and lose chroma, which clipping alone would not.
TEST(ReadCssColour, MapsOutOfGamutColoursByChroma) {
  const std::tuple<const char*, Triple> rows[] = {
      {"oklch(70% 0.4 140)", {0.7, 0.4, 140}},
      {"oklch(60% 0.35 300)", {0.6, 0.35, 300}},
      {"oklch(40% 0.3 30)", {0.4, 0.3, 30}},
  };
  for (const auto& [text, origin] : rows) {
    const CssColour read = ReadCssColour(text);
    ASSERT_TRUE(read.word && read.mapped) << text;
    const Triple got = OklabToOklch(WordToOklab(*read.word));
    EXPECT_NEAR(got.x, origin.x, 0.02) << text;
    EXPECT_NEAR(got.z, origin.z, 5.0) << text;
    EXPECT_LT(got.y, origin.y - 0.05) << text;
  }
}

TEST(ReadCssColour, RefusesWithAReason) {
  const std::pair<std::string, const char*> rows[] = {
      {"#11223380", "Huvenor's colours are opaque: #11223380 has 50% alpha."},
      {"rgb(0 0 0 / 0.9999)", "Huvenor's colours are opaque: rgb(0 0 0 / 0.9999) has 99.9% alpha."},
      {"hsl(0, 0%, 0%, 0.001)",
       "Huvenor's colours are opaque: hsl(0, 0%, 0%, 0.001) has 0.1% alpha."},
      {"oklch(50% 0 0 / none)",
       "Huvenor's colours are opaque: oklch(50% 0 0 / none) has 0% alpha."},
      {"Transparent", "Huvenor's colours are opaque: Transparent has 0% alpha."},
      {"currentColor",
       "currentcolor is the colour of the text around it, which only the page knows."},
      {"var(--brand)",
       "var() takes its colour from the page's custom properties, which only the page knows."},
      {"Canvas", "Canvas is a system colour: each browser and desktop draws it its own way."},
      {"bluish", "bluish is not a colour name CSS knows."},
      {"color-mix(in srgb, red, blue)", "color-mix() is not a colour function Huvenor reads."},
      {"rgb(calc(1) 0 0)",
       "rgb() with a function inside it is not read: only a page works it out."},
      {"color(rec2020 1 0 0)",
       "color() in rec2020 is not read; Huvenor reads srgb, srgb-linear, display-p3, xyz, xyz-d50 "
       "and xyz-d65."},
      {"#12345", "A hex colour is # and 3, 4, 6 or 8 hex digits."},
      {"#GGG", "A hex colour is # and 3, 4, 6 or 8 hex digits."},
      {"color: ;", "There is no colour in the text."},
      {std::string(257, ' '), "The text is too long to be one colour."},
      {"4080C", "This is not a CSS colour."},
      {"rgb(1 2 3) x", "This is not a CSS colour."},
  };
  for (const auto& [text, reason] : rows) {
    const CssColour read = ReadCssColour(text);
    EXPECT_EQ(read.word, std::nullopt) << text;
    EXPECT_EQ(read.refusal, reason) << text;
  }
  // Each breaks the grammar of the function it names.
  for (const char* text :
       {"rgb(1 2)", "rgb(1, 2 3)", "rgb(1, 2, 50%)", "rgb(none, 0, 0)", "rgb(1 2 3 4)",
        "rgb(1 2 3 /)", "rgb(1e400 0 0)", "rgb(1px 2 3)", "hsl(120, 30, 50)", "hsl(120% 30% 50%)",
        "hsl(1foo 0% 0%)", "hwb(120, 30%, 50%)", "lab(50 + 0)", "oklch(.5 . 0)", "color(1 0 0)"}) {
    const CssColour read = ReadCssColour(text);
    EXPECT_EQ(read.word, std::nullopt) << text;
    EXPECT_NE(read.refusal.find(" takes "), std::string::npos) << text << ": " << read.refusal;
  }
}

}  // namespace
}  // namespace colour
