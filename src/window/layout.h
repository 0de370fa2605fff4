// The design of the window `main`: every control with its place in twips,
// caption, colours, font and flags, as data. The window turns each row into
// a control by one loop; nothing else in the program positions a control.
#pragma once

#include <Qt>
#include <array>
#include <cstdint>
#include <string_view>

#include "colour/colour.h"
#include "forms/twips.h"

namespace window {

// Which of the window's controls (or control arrays) a row makes.
enum class ControlId {
  txtEXAMPLE,
  vsbCOLOR,
  lbl,
  txtFINALHEX,
  txtHEXCOLOR,
  optITEM,
  Picture1,
  lblVERSION,
  lblLASTDATE,
  lblSTORE,
  shpSTOREMARK,
};

enum class Container { Window, Picture1 };
enum class DesignFont { Dialog, Fixedsys };

inline constexpr int kNoTabStop = -1;
inline constexpr colour::ColourWord kStandardColour = -1;  // the kind's own colours

struct ControlRow {
  std::string_view name;
  std::int16_t index = -1;  // member of a control array, or -1
  ControlId id;
  Container container = Container::Window;
  forms::TwipsRect place;
  int tabIndex = kNoTabStop;
  std::string_view caption = {};
  DesignFont font = DesignFont::Dialog;
  Qt::Alignment alignment = Qt::AlignLeft;
  bool locked = false;     // text boxes: the user cannot edit the text
  bool multiLine = false;  // text boxes
  bool bordered = false;   // labels: flat single-line border
  bool chosen = false;     // option buttons
  colour::ColourWord foreColor = kStandardColour;
  colour::ColourWord backColor = kStandardColour;
  std::string_view accessibleName = {};  // for assistive tools, when the caption is not enough
};

inline constexpr std::string_view kCaption = "Orlan's Huvenor";
inline constexpr int kClientWidth = 3510;
inline constexpr int kClientHeight = 3645;

inline constexpr int kSwatchCount = 24;
inline constexpr int kSwatchColumns = 6;
inline constexpr int kSwatchWidth = 330;
inline constexpr int kSwatchHeight = 240;
inline constexpr int kSwatchMargin = 30;
inline constexpr int kSwatchPitchX = 360;
inline constexpr int kSwatchPitchY = 270;
// The marker sits this far left of and above the swatch it frames.
inline constexpr int kMarkerOffset = 45;

// Slider range: the top end is 255, so moving the thumb up raises a channel.
inline constexpr std::int16_t kSliderTop = 255;
inline constexpr std::int16_t kSliderBottom = 0;
// Each slider's Value at design; the first state moves it to the preview's
// background, and only a slider it moves recolours the preview.
inline constexpr std::int16_t kSliderValue = 0;
inline constexpr std::int16_t kSmallChange = 1;
inline constexpr std::int16_t kLargeChange = 16;

// The marker: white fill beneath the swatches, black one-pixel outline.
inline constexpr colour::ColourWord kMarkerFill = 0x00FFFFFF;
inline constexpr colour::ColourWord kMarkerOutline = 0x00000000;
inline constexpr colour::ColourWord kPanelColour = 0x00808080;

// The whole design: the top-level controls, the swatches row by row, the marker.
inline constexpr std::size_t kRowCount = 17 + kSwatchCount + 1;
const std::array<ControlRow, kRowCount>& Layout();

// The pair a swatch shows before any palette file was read.
struct SwatchColours {
  colour::ColourWord back;
  colour::ColourWord fore;
};
inline constexpr std::array<SwatchColours, kSwatchCount> kDesignSwatches = {{
    {0x00C0C0C0, 0x00000000}, {0x00004080, 0x00FFFFFF}, {0x00C000C0, 0x00FFFFFF},
    {0x00C00000, 0x00FFFFFF}, {0x00008000, 0x00000000}, {0x0000FFFF, 0x00000000},
    {0x000080FF, 0x00FFFFFF}, {0x000000FF, 0x00FFFFFF}, {0x008080FF, 0x00FFFFFF},
    {0x00FF8080, 0x00FFFFFF}, {0x00C0E0FF, 0x00000000}, {0x00808000, 0x00000000},
    {0x00000000, 0x00FFFFFF}, {0x00000000, 0x00FFFFFF}, {0x00000000, 0x00FFFFFF},
    {0x00000000, 0x00FFFFFF}, {0x00000000, 0x00FFFFFF}, {0x00000000, 0x00FFFFFF},
    {0x00FFFFFF, 0x00000000}, {0x00FFFFFF, 0x00000000}, {0x00FFFFFF, 0x00000000},
    {0x00FFFFFF, 0x00000000}, {0x00FFFFFF, 0x00000000}, {0x00FFFFFF, 0x00000000},
}};

}  // namespace window
