#include "colour/importformats.h"

#include <gtest/gtest.h>

#include <string>

namespace colour {
namespace {

// As the golden files: every pair differs from the next in every channel.
PaletteColours Distinct() {
  PaletteColours colours{};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const auto n = static_cast<Channel>(i);
    colours[i] = {RGB(n, static_cast<Channel>(10 * n), 255),
                  RGB(static_cast<Channel>(255 - n), 0, static_cast<Channel>(100 + n))};
  }
  return colours;
}

// `text` with its first `from` replaced by `to`; fails the test when absent.
std::string Edited(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string EveryLineEndingCrLf(const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

const PaletteColours kColours = Distinct();
const std::string kCss = PaletteCss(kColours);
const std::string kGpl = PaletteGpl(kColours);
const std::string kJson = PaletteJson(kColours);

TEST(PaletteImport, ReadsBackWhatEachExportWrote) {
  struct Row {
    const char* what;
    std::string text;
    bool preview;
  };
  const Row rows[] = {
      {"CSS", kCss, true},
      {"GIMP", kGpl, true},
      {"JSON", kJson, true},
      // What an editor or a person may leave, each still the same palette.
      {"CSS, CR LF and a byte order mark", "\xEF\xBB\xBF" + EveryLineEndingCrLf(kCss), true},
      {"CSS, comments, other colour forms, no last ';'",
       "/* brand */\n" +
           Edited(
               Edited(Edited(kCss, "#0000FF;", "rgb(0 0 255) /* blue */;"), "#FF0064", "#ff0064"),
               "#E7007C;\n}", "#E7007C\n}") +
           "/* end */\n",
       true},
      {"CSS without the preview",
       Edited(kCss, "  --preview-color: #18F0FF;\n  --preview-background: #E7007C;\n", ""), false},
      {"GIMP, CR LF", EveryLineEndingCrLf(kGpl), true},
      {"GIMP without the preview",
       Edited(kGpl, " 24 240 255\tPreview text\n231   0 124\tPreview background\n", ""), false},
      {"JSON on one line", Edited(Edited(kJson, "\n", ""), "\n", ""), true},
      {"JSON with escapes",
       Edited(kJson, "\"Swatch 1\", \"color\": \"#0000FF\"",
              "\"Swatch\\u00201\", \"color\": \"\\u00230000FF\""),
       true},
      {"JSON without the preview",
       Edited(kJson,
              ",\n  {\"name\": \"Preview\", \"color\": \"#18F0FF\", \"background\": \"#E7007C\"}",
              ""),
       false},
  };
  for (const Row& row : rows) {
    const ImportedPalette read = ReadPalette(row.text);
    EXPECT_EQ(read.refusal, "") << row.what;
    for (std::size_t i = 0; i < kSwatchCount; ++i) {
      EXPECT_EQ(read.swatches[i], kColours[i]) << row.what << ", swatch " << i + 1;
    }
    EXPECT_EQ(read.preview, row.preview ? std::optional(kColours.back()) : std::nullopt)
        << row.what;
  }
}

// A file not read whole gives no colours, and the line and the reason why.
TEST(PaletteImport, RefusesABrokenFileWhole) {
  const std::string kSwatch1Css = "  --swatch-1-color: #0000FF;\n";
  const std::string kSwatch1Gpl = "  0   0 255\tSwatch 1 text";
  const std::string kSwatch1Json = "\"name\": \"Swatch 1\", \"color\": \"#0000FF\"";
  const std::pair<std::string, std::string> rows[] = {
      {"", "the file is empty."},
      {"\xEF\xBB\xBF \n\t\r\n", "the file is empty."},
      {std::string(kPaletteFileLimit + 1, ' '),
       "the file is larger than 1 MiB; an exported palette is about 2 KiB."},
      {"/* notes */\n\nbody { color: red; }",
       "line 3: this is not a palette Huvenor exports: it starts with neither :root (CSS), "
       "\"GIMP Palette\" nor [ (JSON)."},
      {std::string("\0\1\2", 3),
       "line 1: this is not a palette Huvenor exports: it starts with neither :root (CSS), "
       "\"GIMP Palette\" nor [ (JSON)."},

      // CSS: the :root block of --swatch-n-color, --swatch-n-background and the preview's.
      {":root\n--swatch-1-color: red;", "line 2: expected { after :root."},
      {Edited(kCss, "#0214FF;", "#0214FF80;"),
       "line 6: --swatch-3-color: Huvenor's colours are opaque: #0214FF80 has 50% alpha."},
      {Edited(kCss, "#0214FF;", "var(--brand);"),
       "line 6: --swatch-3-color: var() takes its colour from the page's custom properties, "
       "which only the page knows."},
      {Edited(kCss, "#0000FF;", ";"), "line 2: --swatch-1-color has no value."},
      {Edited(kCss, "--swatch-1-color:", "--swatch-1-color"),
       "line 2: expected : after --swatch-1-color."},
      {Edited(kCss, "  --swatch-7-background: #F9006A;\n", ""),
       "line 51: the :root block ends without --swatch-7-background."},
      {Edited(kCss, "  --preview-background: #E7007C;\n", ""),
       "line 51: the :root block ends without --preview-background."},
      {Edited(kCss, "--swatch-2-color", "--swatch-1-color"),
       "line 4: --swatch-1-color is given twice."},
      {Edited(kCss, "--swatch-2-color", "--swatch-25-color"),
       "line 4: \"--swatch-25-color\" is not a colour of the palette: they are "
       "--swatch-1-color to --swatch-24-background, --preview-color and --preview-background."},
      {Edited(kCss, kSwatch1Css, kSwatch1Css + "  color: red;\n"),
       "line 3: expected a custom property such as --swatch-1-color, not \"color\"."},
      {Edited(kCss, "\n}\n", "\n"), "line 51: the :root block is never closed."},
      {kCss + "p { }\n", "line 53: nothing may follow the :root block."},
      {kCss + "/* the end\n", "line 53: the comment is never closed."},

      // GIMP: "GIMP Palette", a header, then "R G B<TAB>name" lines.
      {"GIMP Palette 2\n", "line 1: expected \"GIMP Palette\" alone on the line."},
      {Edited(kGpl, kSwatch1Gpl, "  0   0 256\tSwatch 1 text"),
       "line 5: \"256\" is not a channel: each is 0 to 255."},
      {Edited(kGpl, kSwatch1Gpl, "  0  -1 255\tSwatch 1 text"),
       "line 5: expected three numbers 0 to 255 and a name, as \"255 0 100 Swatch 1 "
       "background\", not \"0  -1 255 Swatch 1 text\"."},
      {Edited(kGpl, kSwatch1Gpl, "  0   0\tSwatch 1 text"),
       "line 5: expected three numbers 0 to 255 and a name, as \"255 0 100 Swatch 1 "
       "background\", not \"0   0 Swatch 1 text\"."},
      {Edited(kGpl, kSwatch1Gpl, "  0   0 255"),
       "line 5: the colour has no name: they are \"Swatch 1 text\" to \"Preview background\"."},
      {Edited(kGpl, kSwatch1Gpl, "  0   0 255\tSwatch 1 foreground"),
       "line 5: \"Swatch 1 foreground\" is not a colour of the palette: they are \"Swatch 1 "
       "text\" to \"Swatch 24 background\", \"Preview text\" and \"Preview background\"."},
      {Edited(kGpl, "Swatch 2 text", "Swatch 1 text"), "line 7: \"Swatch 1 text\" is given twice."},
      {Edited(kGpl, "232   0 123\tSwatch 24 background\n", ""),
       "line 53: the palette ends without \"Swatch 24 background\"."},
      {Edited(kGpl, "231   0 124\tPreview background\n", "\n# no more\n"),
       "line 53: the palette ends without \"Preview background\"."},
      {kGpl + "Name: Other\n",
       "line 55: expected three numbers 0 to 255 and a name, as \"255 0 100 Swatch 1 "
       "background\", not \"Name: Other\"."},

      // JSON: an array of {"name", "color", "background"}, one entry for each pair.
      {"[\n",
       "line 1: expected an entry such as {\"name\": \"Swatch 1\", \"color\": \"#0000FF\", "
       "\"background\": \"#FF0064\"}."},
      {Edited(kJson, "\"#E7007C\"}\n]", "\"#E7007C\"},\n]"),
       "line 27: expected an entry such as {\"name\": \"Swatch 1\", \"color\": \"#0000FF\", "
       "\"background\": \"#FF0064\"}."},
      {Edited(kJson, "\"#E7007C\"}\n]\n", "\"#E7007C\"}\n"), "line 26: the array is never closed."},
      {Edited(kJson, "\"#FF0064\"},", "\"#FF0064\"}"), "line 3: expected , or ] after an entry."},
      {Edited(kJson, "\"color\": \"#0000FF\"", "\"color\": 255"),
       "line 2: the value of \"color\" is not a string."},
      {Edited(kJson, kSwatch1Json, kSwatch1Json + ", \"alpha\": \"1\""),
       "line 2: \"alpha\" is not a key of an entry: they are \"name\", \"color\" and "
       "\"background\"."},
      {Edited(kJson, kSwatch1Json, kSwatch1Json + ", \"color\": \"red\""),
       "line 2: \"color\" is given twice in one entry."},
      {Edited(kJson, ", \"background\": \"#FF0064\"", ""),
       "line 2: the entry ends without \"background\"."},
      {Edited(kJson, "\"Swatch 1\"", "\"Swatch 01\""),
       "line 2: \"Swatch 01\" names no pair of the palette: they are \"Swatch 1\" to \"Swatch "
       "24\" and \"Preview\"."},
      {Edited(kJson, "\"Swatch 2\"", "\"Swatch 1\""), "line 3: \"Swatch 1\" is given twice."},
      {Edited(kJson,
              "  {\"name\": \"Swatch 7\", \"color\": \"#063CFF\", \"background\": \"#F9006A\"},\n",
              ""),
       "line 26: the array ends without an entry named \"Swatch 7\"."},
      {Edited(kJson, "#0000FF", "#00G0FF"),
       "line 2: the \"color\" of \"Swatch 1\": A hex colour is # and 3, 4, 6 or 8 hex digits."},
      {Edited(kJson, "\"Swatch 1\"", "\"Swatch\n1\""),
       "line 2: a string holds a line break or another control character."},
      {"[\n  {\"name\": \"Swatch 1", "line 2: the string is never closed."},
      {Edited(kJson, "\"Swatch 1\"", "\"Swatch\\x1\""),
       "line 2: \"\\x\" is not an escape JSON has."},
      {Edited(kJson, "\"Swatch 1\"", "\"Swatch\\uD8001\""),
       "line 2: a \\u escape is half of a character."},
      {Edited(kJson, "\"Swatch 1\"", "\"Swatch\\u12\""), "line 2: \\u takes four hex digits."},
      {kJson + "[]\n", "line 28: nothing may follow the array."},
  };
  for (const auto& [text, refusal] : rows) {
    const ImportedPalette read = ReadPalette(text);
    EXPECT_EQ(read.refusal, refusal) << text.substr(0, 200);
    EXPECT_EQ(read.preview, std::nullopt) << refusal;
  }
}

// A name quoted back is cut short, whole characters kept.
TEST(PaletteImport, QuotesAtMostFortyBytesOfALine) {
  const std::string name = "Swatch " + std::string(32, 'x') + "\xC3\xA9" + "x text";
  EXPECT_EQ(ReadPalette(Edited(kGpl, "Swatch 1 text", name)).refusal,
            "line 5: \"Swatch " + std::string(32, 'x') +
                "...\" is not a colour of the palette: they are \"Swatch 1 text\" to \"Swatch 24 "
                "background\", \"Preview text\" and \"Preview background\".");
}

}  // namespace
}  // namespace colour
