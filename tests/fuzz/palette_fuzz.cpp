// Any bytes of any length as a palette file to import: the reader gives the
// colours or a reason naming the file or a line, never both, never neither.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colour/importformats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const colour::ImportedPalette read =
      colour::ReadPalette(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto plain = [](const colour::ColourPair& pair) {
    return (pair.text & ~0x00FFFFFF) == 0 && (pair.background & ~0x00FFFFFF) == 0;
  };
  bool valid = true;
  if (read.refusal.empty()) {
    for (const colour::ColourPair& pair : read.swatches) valid = valid && plain(pair);
    valid = valid && (!read.preview || plain(*read.preview));
  } else {
    const std::string_view refusal = read.refusal;
    valid =
        !read.preview && (refusal.substr(0, 5) == "line " || refusal.substr(0, 9) == "the file ");
  }
  if (!valid) std::abort();
  return 0;
}
