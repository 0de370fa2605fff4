// Fonts named by the design. "Fixedsys" is a bitmap font of one platform;
// elsewhere a fixed-pitch font of about the same size stands in for it, so
// two hex digits fit a channel box and six a final hex box.
#pragma once

#include <QFont>
#include <QString>

namespace forms {

QFont DesignFont(const QString& family, int points);

// Starts, on a thread of its own, what the platform needs before any text
// is laid out, so that it overlaps the rest of the start: on Linux, reading
// the system's font configuration, two fifths of a start's instructions.
// Called once, first thing in main; a Form waits for it with WaitForFonts.
void PrepareFonts();
void WaitForFonts();

// The default dialog font: what every control without a font of its own
// uses. The design's captions were measured in a narrow 8-point face, so a
// condensed sans of that size keeps them inside their controls.
QFont DialogFont();

}  // namespace forms
