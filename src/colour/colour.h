// Colour words and the hexadecimal texts the window shows and accepts.
//
// A colour word is a signed 32-bit integer laid out 0x00BBGGRR, red in the
// low byte. A word with a non-zero high byte (0x80000005, a reference to a
// system colour) is still stored and compared as it stands; these functions
// read its three low bytes as channels and never translate it. Drawing such
// a word is the forms layer's business, not this library's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace colour {

using ColourWord = std::int32_t;
using Channel = std::int16_t;  // 0..255 whenever it comes from a word or a slider

inline constexpr Channel kChannelMin = 0;
inline constexpr Channel kChannelMax = 255;

// Channel `part` of `colour`: 0 red, 1 green, 2 blue; any other part gives 0.
// Both arguments are taken by reference, as the window's handlers pass their
// own variables.
Channel ColorPart(const ColourWord& colour, const std::int16_t& part);

// The plain colour word of three channels 0..255 (high byte 0).
ColourWord RGB(Channel red, Channel green, Channel blue);

// Shortest upper-case hexadecimal form of a channel: 0 -> "0", 171 -> "AB".
std::string ChannelHexText(Channel value);

// Value of a typed channel: hexadecimal digits of either case are read from
// the start up to the first other character; an empty text or a non-digit
// start reads as 0. A long pasted run of digits saturates instead of
// overflowing, so the result is never negative; callers clamp it.
std::int32_t ChannelParse(std::string_view text);

// Clamps a parsed channel into the range a slider accepts.
Channel ClampChannel(std::int32_t value);

// Six upper-case digits, red then green then blue, no prefix: 0x00C08040
// gives "4080C0".
std::string FinalHex(ColourWord word);

}  // namespace colour
