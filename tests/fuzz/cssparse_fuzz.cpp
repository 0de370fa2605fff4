// Any bytes of any length as pasted text: the reader gives a colour or a
// reason, never both and never neither, and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colour/cssparse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const colour::CssColour read =
      colour::ReadCssColour(std::string_view(reinterpret_cast<const char*>(data), size));
  const bool valid = read.word ? read.refusal.empty() && (*read.word & ~0x00FFFFFF) == 0
                               : !read.refusal.empty() && !read.mapped;
  if (!valid) std::abort();
  return 0;
}
