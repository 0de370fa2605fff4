#include "window/layout.h"

#include "forms/colourword.h"

namespace window {

namespace {

using forms::kSystemWindow;
using forms::kSystemWindowText;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;

constexpr ControlRow kTopLevel[] = {
    {.name = "txtEXAMPLE",
     .id = ControlId::txtEXAMPLE,
     .place = {75, 120, 2175, 1095},
     .tabIndex = 0,
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .locked = true,
     .multiLine = true,
     .foreColor = kSystemWindowText,
     .backColor = kSystemWindow,
     .accessibleName = "Preview"},
    {.name = "vsbCOLOR",
     .index = 0,
     .id = ControlId::vsbCOLOR,
     .place = {2400, 765, 240, 2535},
     .tabIndex = 1,
     .accessibleName = "Red channel"},
    {.name = "vsbCOLOR",
     .index = 1,
     .id = ControlId::vsbCOLOR,
     .place = {2760, 765, 240, 2535},
     .tabIndex = 2,
     .accessibleName = "Green channel"},
    {.name = "vsbCOLOR",
     .index = 2,
     .id = ControlId::vsbCOLOR,
     .place = {3120, 765, 240, 2535},
     .tabIndex = 3,
     .accessibleName = "Blue channel"},
    {.name = "lbl",
     .index = 0,
     .id = ControlId::lbl,
     .place = {2385, 90, 285, 195},
     .tabIndex = 4,
     .caption = "R",
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .accessibleName = "Red"},
    {.name = "lbl",
     .index = 1,
     .id = ControlId::lbl,
     .place = {2745, 90, 285, 195},
     .tabIndex = 5,
     .caption = "G",
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .accessibleName = "Green"},
    {.name = "lbl",
     .index = 2,
     .id = ControlId::lbl,
     .place = {3105, 90, 285, 195},
     .tabIndex = 6,
     .caption = "B",
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .accessibleName = "Blue"},
    {.name = "txtFINALHEX",
     .index = 0,
     .id = ControlId::txtFINALHEX,
     .place = {1350, 1305, 900, 330},
     .tabIndex = 7,
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .locked = true,
     .accessibleName = "Text colour hex"},
    {.name = "txtHEXCOLOR",
     .index = 0,
     .id = ControlId::txtHEXCOLOR,
     .place = {2340, 360, 375, 330},
     .tabIndex = 8,
     .font = DesignFont::Fixedsys,
     .accessibleName = "Red channel in hex"},
    {.name = "txtHEXCOLOR",
     .index = 1,
     .id = ControlId::txtHEXCOLOR,
     .place = {2700, 360, 375, 330},
     .tabIndex = 9,
     .font = DesignFont::Fixedsys,
     .accessibleName = "Green channel in hex"},
    {.name = "txtHEXCOLOR",
     .index = 2,
     .id = ControlId::txtHEXCOLOR,
     .place = {3060, 360, 375, 330},
     .tabIndex = 10,
     .font = DesignFont::Fixedsys,
     .accessibleName = "Blue channel in hex"},
    {.name = "txtFINALHEX",
     .index = 1,
     .id = ControlId::txtFINALHEX,
     .place = {1350, 1710, 900, 330},
     .tabIndex = 11,
     .font = DesignFont::Fixedsys,
     .alignment = kCentre,
     .locked = true,
     .accessibleName = "Background colour hex"},
    {.name = "optITEM",
     .index = 0,
     .id = ControlId::optITEM,
     .place = {120, 1350, 1065, 240},
     .tabIndex = 12,
     .caption = "Text Color:"},
    {.name = "optITEM",
     .index = 1,
     .id = ControlId::optITEM,
     .place = {120, 1755, 1215, 240},
     .tabIndex = 13,
     .caption = "Background:",
     .chosen = true},
    {.name = "Picture1",
     .id = ControlId::Picture1,
     .place = {60, 2175, 2220, 1140},
     .tabIndex = 14,
     .backColor = kPanelColour,
     .accessibleName = "Palette"},
    {.name = "lblVERSION",
     .id = ControlId::lblVERSION,
     .place = {60, 3390, 1470, 195},
     .tabIndex = 39,
     .caption = "Version"},
    {.name = "lblLASTDATE",
     .id = ControlId::lblLASTDATE,
     .place = {2370, 3390, 1065, 195},
     .tabIndex = 40,
     .caption = "9/3/96",
     .alignment = Qt::AlignRight,
     .accessibleName = "Date"},
};

constexpr ControlRow SwatchRow(std::int16_t index) {
  const int row = index / kSwatchColumns;
  const int column = index % kSwatchColumns;
  return {.name = "lblSTORE",
          .index = index,
          .id = ControlId::lblSTORE,
          .container = Container::Picture1,
          .place = {kSwatchMargin + kSwatchPitchX * column, kSwatchMargin + kSwatchPitchY * row,
                    kSwatchWidth, kSwatchHeight},
          .tabIndex = 15 + index,
          .caption = "Aa",
          .alignment = kCentre,
          .bordered = true,
          .foreColor = kDesignSwatches[static_cast<std::size_t>(index)].fore,
          .backColor = kDesignSwatches[static_cast<std::size_t>(index)].back};
}

constexpr ControlRow kMarker = {.name = "shpSTOREMARK",
                                .id = ControlId::shpSTOREMARK,
                                .container = Container::Picture1,
                                .place = {-15, -15, 420, 330},
                                .foreColor = kMarkerOutline,
                                .backColor = kMarkerFill,
                                .accessibleName = "Selected swatch"};

constexpr std::array<ControlRow, kRowCount> MakeLayout() {
  std::array<ControlRow, kRowCount> rows{};
  std::size_t at = 0;
  for (const ControlRow& row : kTopLevel) rows[at++] = row;
  for (std::int16_t index = 0; index < kSwatchCount; ++index) rows[at++] = SwatchRow(index);
  rows[at++] = kMarker;
  return rows;
}

constexpr std::array<ControlRow, kRowCount> kLayout = MakeLayout();
static_assert(kLayout.back().id == ControlId::shpSTOREMARK, "row count matches the design");

}  // namespace

const std::array<ControlRow, kRowCount>& Layout() {
  return kLayout;
}

}  // namespace window
