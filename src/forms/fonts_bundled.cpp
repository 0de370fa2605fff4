#include <QFontDatabase>

namespace forms {

// Windows has neither face, and its own fixed-pitch and dialog faces are
// measured differently from the ones the window's controls were sized for;
// the two faces are compiled into the program instead.
void ProvideFonts() {
  static const bool provided = [] {
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSansMono.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DejaVuSansCondensed.ttf"));
    return true;
  }();
  (void)provided;
}

// The faces are registered at their first use; there is nothing to overlap.
void PrepareFonts() {}
void WaitForFonts() {}

}  // namespace forms
