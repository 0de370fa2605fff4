#include "colour/palette.h"

namespace colour {

std::string PairName(std::size_t index) {
  return index < kSwatchCount ? "Swatch " + std::to_string(index + 1) : "Preview";
}

}  // namespace colour
