#include "colour/vision.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "colour/contrast.h"

namespace colour {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Machado, Oliveira and Fernandes (2009), table of severity 1.0; rows give
// red, green and blue from the linear red, green and blue of a column vector.
constexpr Matrix kProtanopia{{{0.152286, 1.052583, -0.204868},
                              {0.114503, 0.786281, 0.099216},
                              {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia{{{0.367322, 0.860646, -0.227968},
                                {0.280085, 0.672501, 0.047413},
                                {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritanopia{{{1.255528, -0.076749, -0.178779},
                              {-0.078411, 0.930809, 0.147602},
                              {0.004733, 0.691367, 0.303900}}};

ColourWord Apply(const Matrix& matrix, ColourWord word) {
  const std::array<double, 3> in{LinearChannel(ColorPart(word, 0)),
                                 LinearChannel(ColorPart(word, 1)),
                                 LinearChannel(ColorPart(word, 2))};
  std::array<Channel, 3> out{};
  for (std::size_t row = 0; row < 3; ++row) {
    out[row] =
        EncodeChannel(matrix[row][0] * in[0] + matrix[row][1] * in[1] + matrix[row][2] * in[2]);
  }
  return RGB(out[0], out[1], out[2]);
}

}  // namespace

Channel EncodeChannel(double linear) {
  const double c = std::clamp(linear, 0.0, 1.0);
  const double encoded = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
  return static_cast<Channel>(std::lround(encoded * 255.0));
}

ColourWord Simulate(Vision vision, ColourWord word) {
  switch (vision) {
    case Vision::Protanopia:
      return Apply(kProtanopia, word);
    case Vision::Deuteranopia:
      return Apply(kDeuteranopia, word);
    case Vision::Tritanopia:
      return Apply(kTritanopia, word);
    case Vision::Achromatopsia: {
      const Channel grey = EncodeChannel(RelativeLuminance(word));
      return RGB(grey, grey, grey);
    }
    case Vision::Normal:
      break;
  }
  return word;
}

}  // namespace colour
