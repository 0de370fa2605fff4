#include "forms/fonts.h"

namespace forms {

// Where the system does not have the faces below, they come with the program
// (fonts_<platform>.cpp); registered once, before the first font is made.
void ProvideFonts();

QFont DesignFont(const QString& family, int points) {
  if (family.compare(QStringLiteral("Fixedsys"), Qt::CaseInsensitive) != 0) {
    return QFont(family, points);
  }
  ProvideFonts();
  // DejaVu Sans Mono comes with Debian's base fonts; the style hint lets
  // fontconfig pick another fixed-pitch face where it is missing.
  QFont font(QStringLiteral("DejaVu Sans Mono"), points);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

QFont DialogFont() {
  ProvideFonts();
  QFont font(QStringLiteral("DejaVu Sans Condensed"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace forms
