#include "colour/palettecheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace colour {
namespace {

// Greys from black to light grey on white, the preview the lightest: every
// verdict both passes and fails somewhere, and the preview's row comes first.
PaletteColours Greys() {
  PaletteColours colours{};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const auto grey = static_cast<Channel>(10 * i);
    colours[i] = {RGB(grey, grey, grey), 0x00FFFFFF};
  }
  return colours;
}

std::string Golden(const char* name) {
  std::ifstream golden(std::string(COLOUR_GOLDEN_DIR "/") + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(golden), {}};
}

TEST(CheckReport, WritesTheGoldenFiles) {
  EXPECT_EQ(CheckReportHtml(Greys(), {"2026-12-07", "0.2i"}), Golden("check-report.html"));
  EXPECT_EQ(CheckReportCsv(Greys()), Golden("check-report.csv"));
}

TEST(CheckReport, EscapesTheTextItIsGiven) {
  const std::string html = CheckReportHtml(Greys(), {"7 <b>", "0.2i & \"x\" 'y'"});
  EXPECT_NE(html.find("<p>Huvenor 0.2i &amp; &quot;x&quot; &#39;y&#39;, 7 &lt;b&gt;."),
            std::string::npos);
}

}  // namespace
}  // namespace colour
