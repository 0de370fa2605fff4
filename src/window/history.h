// The window's changes as steps that can be undone and redone, for this run
// only. A step keeps the whole state before and after it: that state is
// small (26 colour words, three short texts and a marker), and bringing back
// a whole state cannot drift from what the change did the way a reversed
// change can.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "colour/colour.h"

namespace window {

inline constexpr std::size_t kHistorySwatches = 24;

// What undo brings back: the preview's two colour words as they stand
// (system-colour references included), every swatch's pair, the marked
// swatch, and the channel boxes as they read. The sliders follow from the
// words and the chosen target.
struct WindowState {
  colour::ColourWord fore = 0;
  colour::ColourWord back = 0;
  std::array<std::pair<colour::ColourWord, colour::ColourWord>, kHistorySwatches> swatches{};
  std::int16_t marked = 0;
  // As typed ("0A", "ff", or empty). A box whose slider shows another value
  // when the state comes back (the other target chosen since) shows that.
  std::array<QString, 3> channels;
  bool operator==(const WindowState&) const = default;
};

struct Step {
  QString name;  // "Make Readable", "Store in Swatch 6"
  WindowState before;
  WindowState after;
  // Changes of one run (a drag, the typing in one box) join one step.
  std::uint64_t run = 0;
};

class History {
 public:
  static constexpr std::size_t kLimit = 256;

  // A finished change. A change of the same nonzero `run` as the last step
  // done joins it, and a step its run brought back to where it began is
  // dropped; a change that changed nothing is no step. Drops the redo steps.
  void Record(QString name, const WindowState& before, const WindowState& after,
              std::uint64_t run = 0);
  // The step undo or redo would take next; null when there is none.
  const Step* NextUndo() const;
  const Step* NextRedo() const;
  // Takes that step and returns the state to bring back; null when none.
  const WindowState* Undo();
  const WindowState* Redo();

 private:
  const Step& At(std::size_t i) const { return steps_[(first_ + i) % kLimit]; }
  Step& At(std::size_t i) { return steps_[(first_ + i) % kLimit]; }

  // A ring that grows to kLimit steps, after which each new step takes the
  // oldest one's place; empty, and allocating nothing, until the first step.
  std::vector<Step> steps_;
  std::size_t first_ = 0;  // where the oldest step is
  std::size_t count_ = 0;  // steps kept, done and undone
  std::size_t done_ = 0;   // At(0) to At(done_ - 1) are done
};

}  // namespace window
