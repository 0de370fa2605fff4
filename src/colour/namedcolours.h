// The 148 colours CSS names, from aliceblue to yellowgreen, grey and gray
// spelt both ways. Keywords that are not fixed colours (transparent,
// currentcolor, the system colours) are not among them.
#pragma once

#include <optional>
#include <string_view>

#include "colour/colour.h"

namespace colour {

// The colour `name` stands for, letters of either case; nothing for a name
// that is not one of the 148.
std::optional<ColourWord> NamedColour(std::string_view name);

}  // namespace colour
