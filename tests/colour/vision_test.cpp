#include "colour/vision.h"

#include <gtest/gtest.h>

namespace colour {
namespace {

struct VisionCase {
  ColourWord word;
  ColourWord protanopia;
  ColourWord deuteranopia;
  ColourWord tritanopia;
  ColourWord achromatopsia;
};

class SimulateTest : public testing::TestWithParam<VisionCase> {};

// Expected words worked out by hand from the published severity-1.0
// matrices and the sRGB curve; none lies near a rounding edge.
TEST_P(SimulateTest, MatchesThePublishedMatrices) {
  const VisionCase& c = GetParam();
  EXPECT_EQ(Simulate(Vision::Protanopia, c.word), c.protanopia);
  EXPECT_EQ(Simulate(Vision::Deuteranopia, c.word), c.deuteranopia);
  EXPECT_EQ(Simulate(Vision::Tritanopia, c.word), c.tritanopia);
  EXPECT_EQ(Simulate(Vision::Achromatopsia, c.word), c.achromatopsia);
}

INSTANTIATE_TEST_SUITE_P(Colours, SimulateTest,
                         testing::Values(
                             // Negative results clamp to 0: red loses its red under protanopia.
                             VisionCase{0x000000FF, 0x00005F6D, 0x000090A3, 0x000F00FF, 0x007F7F7F},
                             VisionCase{0x0000FF00, 0x0000E5FF, 0x003AD6EF, 0x00D9F700, 0x00DCDCDC},
                             // Results over 1 clamp too: every row sums to 1, so white stays white.
                             VisionCase{0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
                             VisionCase{0x00C08040, 0x00C38364, 0x00BF7752, 0x00978F00, 0x007D7D7D},
                             VisionCase{0x000080FF, 0x000091A6, 0x0000AEC4, 0x006D62FF,
                                        0x00A3A3A3}));

}  // namespace
}  // namespace colour
