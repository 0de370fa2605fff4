#include "colour/exportformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace colour {
namespace {

// The palette a first run shows, with the preview set to #4080C0 on white.
PaletteColours FirstRunPalette() {
  constexpr ColourWord kBlack = 0x00000000;
  constexpr ColourWord kWhite = 0x00FFFFFF;
  PaletteColours colours{{{kBlack, 0x00C0C0C0},
                          {kWhite, 0x00004080},
                          {kWhite, 0x00C000C0},
                          {kWhite, 0x00C00000},
                          {kBlack, 0x00008000},
                          {kBlack, 0x0000FFFF},
                          {kWhite, 0x000080FF},
                          {kWhite, 0x000000FF},
                          {kWhite, 0x008080FF},
                          {kWhite, 0x00FF8080},
                          {kBlack, 0x00C0E0FF},
                          {kBlack, 0x00808000}}};
  for (std::size_t i = 12; i < 18; ++i) colours[i] = {kWhite, kBlack};
  for (std::size_t i = 18; i < 24; ++i) colours[i] = {kBlack, kWhite};
  colours[24] = {0x00C08040, kWhite};
  return colours;
}

std::string Golden(const char* name) {
  std::ifstream file(std::string(COLOUR_GOLDEN_DIR "/") + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(PaletteExport, WritesTheGoldenFiles) {
  const PaletteColours colours = FirstRunPalette();
  EXPECT_EQ(PaletteCss(colours), Golden("palette.css"));
  EXPECT_EQ(PaletteGpl(colours), Golden("palette.gpl"));
  EXPECT_EQ(PaletteJson(colours), Golden("palette.json"));
}

}  // namespace
}  // namespace colour
