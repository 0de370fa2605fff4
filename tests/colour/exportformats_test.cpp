#include "colour/exportformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace colour {
namespace {

TEST(PaletteExport, WritesTheGoldenFiles) {
  // Text and background differ in every channel, and each pair from the
  // next, so a swapped pair, channel or entry shows.
  PaletteColours colours{};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const auto n = static_cast<Channel>(i);
    colours[i] = {RGB(n, static_cast<Channel>(10 * n), 255),
                  RGB(static_cast<Channel>(255 - n), 0, static_cast<Channel>(100 + n))};
  }
  const std::pair<std::string, const char*> files[] = {{PaletteCss(colours), "palette.css"},
                                                       {PaletteGpl(colours), "palette.gpl"},
                                                       {PaletteJson(colours), "palette.json"}};
  for (const auto& [text, name] : files) {
    std::ifstream golden(std::string(COLOUR_GOLDEN_DIR "/") + name, std::ios::binary);
    EXPECT_EQ(text, std::string(std::istreambuf_iterator<char>(golden), {})) << name;
  }
}

}  // namespace
}  // namespace colour
