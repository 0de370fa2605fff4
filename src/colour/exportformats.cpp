#include "colour/exportformats.h"

#include <cstdio>

#include "colour/contrast.h"

namespace colour {

namespace {

std::string GplLine(ColourWord word, const std::string& name) {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%3d %3d %3d\t", ColorPart(word, 0), ColorPart(word, 1),
                ColorPart(word, 2));
  return numbers + name + "\n";
}

}  // namespace

std::string PaletteCss(const PaletteColours& colours) {
  std::string css = ":root {\n";
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const std::string prefix =
        i < kSwatchCount ? "  --swatch-" + std::to_string(i + 1) : std::string("  --preview");
    css += prefix + "-color: " + CssHex(colours[i].text) + ";\n";
    css += prefix + "-background: " + CssHex(colours[i].background) + ";\n";
  }
  return css + "}\n";
}

std::string PaletteGpl(const PaletteColours& colours) {
  std::string gpl = "GIMP Palette\nName: Huvenor\nColumns: 2\n#\n";
  for (std::size_t i = 0; i < colours.size(); ++i) {
    gpl += GplLine(colours[i].text, PairName(i) + " text");
    gpl += GplLine(colours[i].background, PairName(i) + " background");
  }
  return gpl;
}

std::string PaletteJson(const PaletteColours& colours) {
  std::string json = "[\n";
  for (std::size_t i = 0; i < colours.size(); ++i) {
    json += "  {\"name\": \"" + PairName(i) + "\", \"color\": \"" + CssHex(colours[i].text) +
            "\", \"background\": \"" + CssHex(colours[i].background) + "\"}";
    json += i + 1 < colours.size() ? ",\n" : "\n";
  }
  return json + "]\n";
}

}  // namespace colour
