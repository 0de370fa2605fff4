// The channel parse over any text: never negative, the value of the leading
// hex digits (saturating), and a clamped value that survives its hex text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "colour/colour.h"

namespace {

// The leading hex digits' value, counted wide enough never to overflow.
std::int64_t Reference(std::string_view text) {
  constexpr std::int64_t kCeiling = 0x7FFFFFFF;
  std::int64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    value = value * 16 + digit;
    if (value > kCeiling) value = kCeiling;
  }
  return value;
}

// A broken invariant is a finding like a crash: say which, and stop.
void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "Broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::int32_t parsed = colour::ChannelParse(text);
  Require(parsed == Reference(text), "the parse reads the leading hex digits");

  const colour::Channel channel = colour::ClampChannel(parsed);
  Require(channel >= colour::kChannelMin && channel <= colour::kChannelMax,
          "a clamped channel is within 0..255");
  Require(channel == (parsed > 255 ? 255 : parsed), "clamping keeps 0..255 as it is");

  const std::string hex = colour::ChannelHexText(channel);
  Require(!hex.empty() && hex.size() <= 2, "a channel's hex text has one or two digits");
  Require(hex.find_first_not_of("0123456789ABCDEF") == std::string::npos,
          "a channel's hex text is upper case");
  Require(colour::ChannelParse(hex) == channel, "a channel survives its hex text");
  return 0;
}
