#include "colour/exportformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace colour {
namespace {

// Text and background differ in every channel, and each pair from the next,
// so a swapped pair, channel or entry shows.
PaletteColours SomeColours() {
  PaletteColours colours{};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const auto n = static_cast<Channel>(i);
    colours[i] = {RGB(n, static_cast<Channel>(10 * n), 255),
                  RGB(static_cast<Channel>(255 - n), 0, static_cast<Channel>(100 + n))};
  }
  return colours;
}

std::string Golden(const char* name) {
  std::ifstream file(std::string(COLOUR_GOLDEN_DIR "/") + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(PaletteExport, WritesTheGoldenFiles) {
  const PaletteColours colours = SomeColours();
  EXPECT_EQ(PaletteCss(colours), Golden("palette.css"));
  EXPECT_EQ(PaletteGpl(colours), Golden("palette.gpl"));
  EXPECT_EQ(PaletteJson(colours), Golden("palette.json"));
}

}  // namespace
}  // namespace colour
