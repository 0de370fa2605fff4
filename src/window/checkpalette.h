// The Check Palette window: the preview's pair and the 24 swatches in one
// table, each row with a sample drawn in its pair, its hex values, its
// contrast ratio and its WCAG verdicts, sortable by ratio. It shows the
// pairs the main window gives it and hands its commands back to it; it
// changes no colour itself. Made on first use, then kept, hidden when closed.
#pragma once

#include <QList>
#include <QPointer>
#include <cstddef>
#include <functional>

#include "colour/palette.h"

class QAction;
class QLabel;
class QString;
class QWidget;

namespace window {

class CheckPalette {
 public:
  struct Commands {
    // Enter or a double-click on a swatch's row.
    std::function<void(std::size_t swatch)> recall;
    std::function<void()> saveReport;
  };

  // `owner` is the main window, which this one stays above. `makeReadable`
  // are the Make All Readable actions, listed under a button of this
  // window's; their keys work here too. The owner keeps them.
  CheckPalette(QWidget* owner, const QList<QAction*>& makeReadable, Commands commands);
  ~CheckPalette();
  CheckPalette(const CheckPalette&) = delete;
  CheckPalette& operator=(const CheckPalette&) = delete;

  // Shows every pair of `colours` and brings the window forward.
  void Show(const colour::PaletteColours& colours);
  bool IsOpen() const;
  // While open: the pair at `index` of PaletteColours is now `pair`.
  void SetPair(std::size_t index, colour::ColourPair pair);
  // Shows `text` on the window's status line.
  void Tell(const QString& text);

  QWidget* widget() const;

 private:
  class Model;
  // The window and everything in it, the model too, are children of the
  // owner; a window already gone with its owner is not deleted twice.
  QPointer<QWidget> window_;
  Model* model_;
  QLabel* status_;
};

}  // namespace window
