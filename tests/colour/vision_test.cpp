#include "colour/vision.h"

#include <gtest/gtest.h>

#include <array>

namespace colour {
namespace {

// Expected words worked out by hand from the published severity-1.0
// matrices and the sRGB curve; none lies near a rounding edge.
TEST(Simulate, MatchesThePublishedMatrices) {
  constexpr Vision kVisions[] = {Vision::Protanopia, Vision::Deuteranopia, Vision::Tritanopia,
                                 Vision::Achromatopsia};
  // A colour, then how it looks under each of the four visions in turn.
  const std::array<ColourWord, 5> cases[] = {
      // Negative results clamp to 0: red loses its red under protanopia.
      {0x000000FF, 0x00005F6D, 0x000090A3, 0x000F00FF, 0x007F7F7F},
      {0x0000FF00, 0x0000E5FF, 0x003AD6EF, 0x00D9F700, 0x00DCDCDC},
      // Results over 1 clamp too: every row sums to 1, so white stays white.
      {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
      {0x00C08040, 0x00C38364, 0x00BF7752, 0x00978F00, 0x007D7D7D},
      {0x000080FF, 0x000091A6, 0x0000AEC4, 0x006D62FF, 0x00A3A3A3}};
  for (const auto& row : cases) {
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(Simulate(kVisions[i], row[0]), row[i + 1]) << std::hex << row[0] << " vision " << i;
    }
  }
}

}  // namespace
}  // namespace colour
