#include "colour/palettecheck.h"

namespace colour {

namespace {

// The page's rules: the pairs keep their colours in print, the head repeats
// on each printed page and a row is never split across two.
constexpr std::string_view kHtmlHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Palette check</title>
<style>
body { font: 11pt/1.4 system-ui, sans-serif; color: #000; background: #fff; margin: 2em; }
h1 { font-size: 1.4em; margin: 0 0 0.25em; }
table { border-collapse: collapse; }
th, td { border: 1px solid #808080; padding: 0.2em 0.6em; text-align: left; }
thead th { background: #eee; vertical-align: bottom; }
td.sample { font-weight: bold; text-align: center; }
td.ratio { text-align: right; font-variant-numeric: tabular-nums; }
td.fail { font-weight: bold; }
thead { display: table-header-group; }
tr { break-inside: avoid; }
* { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
@media print { body { margin: 0; font-size: 9pt; } }
</style>
</head>
<body>
<h1>Palette check</h1>
)";

// A verdict in words and with a mark, so that it never rests on colour.
const char* Verdict(bool passes) {
  return passes ? "\u2713 Pass" : "\u2717 Fail";
}

}  // namespace

PairCheck CheckPair(std::size_t index, ColourPair pair) {
  const double ratio = ContrastRatio(pair.text, pair.background);
  return {index, pair, ratio, Judge(ratio)};
}

std::array<PairCheck, kSwatchCount + 1> CheckPalette(const PaletteColours& colours) {
  std::array<PairCheck, kSwatchCount + 1> rows{};
  rows[0] = CheckPair(kSwatchCount, colours[kSwatchCount]);
  for (std::size_t i = 0; i < kSwatchCount; ++i) rows[i + 1] = CheckPair(i, colours[i]);
  return rows;
}

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string CheckReportHtml(const PaletteColours& colours, const ReportStamp& stamp) {
  std::string html(kHtmlHead);
  html += "<p>Huvenor " + HtmlEscaped(stamp.version) + ", " + HtmlEscaped(stamp.date) +
          ". WCAG 2.x contrast of the preview and the " + std::to_string(kSwatchCount) +
          " swatches; each verdict is judged on the unrounded ratio.</p>\n<table>\n<thead>\n<tr>";
  for (const char* head : {"Pair", "Sample", "Text", "Background", "Ratio"}) {
    html += std::string("<th scope=\"col\">") + head + "</th>";
  }
  for (const Criterion& criterion : kCriteria) {
    html += "<th scope=\"col\">" + CriterionName(criterion) + "</th>";
  }
  html += "</tr>\n</thead>\n<tbody>\n";
  for (const PairCheck& row : CheckPalette(colours)) {
    const std::string text = CssHex(row.pair.text);
    const std::string background = CssHex(row.pair.background);
    html += "<tr><th scope=\"row\">" + PairName(row.index) +
            "</th><td class=\"sample\" style=\"color: " + text +
            "; background-color: " + background + "\">Aa</td><td>" + text + "</td><td>" +
            background + "</td><td class=\"ratio\">" + RatioText(row.ratio) + ":1</td>";
    for (const Criterion& criterion : kCriteria) {
      const bool passes = row.verdicts.*criterion.passes;
      html += std::string(passes ? "<td>" : "<td class=\"fail\">") + Verdict(passes) + "</td>";
    }
    html += "</tr>\n";
  }
  return html + "</tbody>\n</table>\n</body>\n</html>\n";
}

std::string CheckReportCsv(const PaletteColours& colours) {
  // No field can hold a comma, a quote or a line end, so none is quoted.
  std::string csv = "Pair,Text,Background,Ratio";
  for (const Criterion& criterion : kCriteria) {
    csv += ',';
    csv += CriterionName(criterion);
  }
  csv += "\r\n";
  for (const PairCheck& row : CheckPalette(colours)) {
    csv += PairName(row.index) + "," + CssHex(row.pair.text) + "," + CssHex(row.pair.background) +
           "," + RatioText(row.ratio);
    for (const Criterion& criterion : kCriteria) {
      csv += row.verdicts.*criterion.passes ? ",pass" : ",fail";
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace colour
