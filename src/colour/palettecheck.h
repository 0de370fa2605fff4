// The palette checked against WCAG: each pair's contrast ratio and verdicts
// as one row of a table, and that table written as a report, an HTML page
// to keep or print or CSV for a spreadsheet. Plain words only, as for the
// contrast itself: a system-colour reference is resolved to the colour it is
// drawn with before it comes here. Showing the table is the window's part.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "colour/contrast.h"
#include "colour/palette.h"

namespace colour {

struct PairCheck {
  std::size_t index;  // into PaletteColours: a swatch, or kSwatchCount for the preview
  ColourPair pair;
  double ratio;
  Verdicts verdicts;
};

PairCheck CheckPair(std::size_t index, ColourPair pair);

// The table's rows: the preview first, then the swatches in order.
std::array<PairCheck, kSwatchCount + 1> CheckPalette(const PaletteColours& colours);

// What a report says of itself besides the table.
struct ReportStamp {
  std::string date;     // as the reader expects to see it, e.g. "2026-12-07"
  std::string version;  // the program's
};

// A page that needs nothing but itself: each row's sample drawn in its pair,
// the hex values, the ratio and a pass or fail in words and with a mark per
// verdict; the date and version in its opening lines. Print keeps the pairs'
// colours and the table's head on each page. Lines end in LF.
std::string CheckReportHtml(const PaletteColours& colours, const ReportStamp& stamp);

// RFC 4180: a head row, then one row per pair with the ratio to two decimals
// and "pass" or "fail" per verdict; lines end in CRLF.
std::string CheckReportCsv(const PaletteColours& colours);

// `text` with &, <, >, " and ' written as character references, safe in
// HTML text and in quoted attribute values.
std::string HtmlEscaped(std::string_view text);

}  // namespace colour
