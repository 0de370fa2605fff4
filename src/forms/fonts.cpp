#include "forms/fonts.h"

namespace forms {

QFont DesignFont(const QString& family, int points) {
  if (family.compare(QStringLiteral("Fixedsys"), Qt::CaseInsensitive) != 0) {
    return QFont(family, points);
  }
  // DejaVu Sans Mono comes with Debian's base fonts; the style hint lets
  // fontconfig pick another fixed-pitch face where it is missing.
  QFont font(QStringLiteral("DejaVu Sans Mono"), points);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

QFont DialogFont() {
  QFont font(QStringLiteral("DejaVu Sans Condensed"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace forms
