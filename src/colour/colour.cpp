#include "colour/colour.h"

#include <algorithm>
#include <limits>

namespace colour {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Channel ColorPart(const ColourWord& colour, const std::int16_t& part) {
  if (part < 0 || part > 2) return 0;
  // Shift the unsigned image so a set sign bit never sign-extends into the byte.
  const auto bits = static_cast<std::uint32_t>(colour);
  return static_cast<Channel>((bits >> (8 * part)) & 0xFFu);
}

ColourWord RGB(Channel red, Channel green, Channel blue) {
  return static_cast<ColourWord>(red) + static_cast<ColourWord>(green) * 256 +
         static_cast<ColourWord>(blue) * 65536;
}

std::string ChannelHexText(Channel value) {
  auto rest = static_cast<std::uint16_t>(value);
  std::string text;
  do {
    text.insert(text.begin(), kHexDigits[rest & 0xFu]);
    rest = static_cast<std::uint16_t>(rest >> 4);
  } while (rest != 0);
  return text;
}

std::int32_t ChannelParse(std::string_view text) {
  constexpr std::int32_t kCeiling = std::numeric_limits<std::int32_t>::max();
  std::int32_t value = 0;
  for (const char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) break;
    value = value > (kCeiling - digit) / 16 ? kCeiling : value * 16 + digit;
  }
  return value;
}

Channel ClampChannel(std::int32_t value) {
  return static_cast<Channel>(std::clamp<std::int32_t>(value, kChannelMin, kChannelMax));
}

std::string FinalHex(ColourWord word) {
  std::string text;
  for (std::int16_t part = 0; part < 3; ++part) {
    const std::string channel = ChannelHexText(ColorPart(word, part));
    if (channel.size() < 2) text += '0';
    text += channel;
  }
  return text;
}

}  // namespace colour
