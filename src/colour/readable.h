// Making a text/background pair readable: one of the two colours keeps its
// hue and saturation as CSS hsl() reads them and moves only in lightness,
// by the least amount, until the pair reaches a WCAG contrast threshold.
// Plain words only, as for the contrast itself; the caller resolves a
// system-colour reference first and applies the answer as it likes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "colour/colour.h"
#include "colour/palette.h"

namespace colour {

// CSS hsl() coordinates: hue in degrees 0..360, saturation and lightness 0..1.
struct Hsl {
  double hue;
  double saturation;
  double lightness;
};

// The word's three low bytes as CSS reads an rgb() colour into hsl(): a grey
// has hue 0 and saturation 0.
Hsl CssHsl(ColourWord word);

// The plain 8-bit word CSS draws for hsl(h, s, l): each channel rounded to
// the nearest of 0..255. Lightness outside 0..1 is clamped.
ColourWord FromCssHsl(const Hsl& hsl);

// The thresholds the window offers: WCAG AA and AAA for normal text, and AA
// for large text.
inline constexpr double kAANormal = 4.5;
inline constexpr double kAAANormal = 7.0;
inline constexpr double kAALarge = 3.0;

struct Readable {
  // True when `colour` reaches the threshold: it is the target itself when
  // the pair already passed, else the moved colour. False when no lightness
  // of the target's hue and saturation reaches it; `colour` is then the
  // target unchanged.
  bool reached;
  ColourWord colour;
  // The unrounded ratio of `colour` on the other colour; when nothing
  // reaches the threshold, the best ratio any lightness gives.
  double ratio;
};

// Moves `target` in lightness until ContrastRatio(result, other) >=
// `threshold`, judged on the 8-bit colour actually produced. Of the 8-bit
// colours hsl(hue, saturation, l) gives for some l, the result is the one
// whose own lightness is nearest the target's, darker or lighter; on a tie
// the higher ratio wins. Cost: two bisections of a few dozen ratios each.
Readable MakeReadable(ColourWord target, ColourWord other, double threshold);

// Which colour of a pair moves.
enum class Side { Text, Background };

struct AllReadable {
  Swatches swatches;  // after the pass
  // Swatch indices in order: those whose `side` colour moved, and those that
  // failed and that no lightness can fix, which stay as they were.
  std::vector<std::size_t> changed;
  std::vector<std::size_t> unreachable;
};

// MakeReadable for the `side` colour of every swatch that fails
// `threshold`; the other colour of a pair never moves.
AllReadable MakeAllReadable(const Swatches& swatches, Side side, double threshold);

// What the pass did, for the user: "Made 5 swatches readable at AA; swatch 9
// cannot reach it by lightness." `level` names the threshold ("AA").
std::string DescribeAllReadable(const AllReadable& result, std::string_view level);

}  // namespace colour
