#include "window/history.h"

namespace window {

void History::Record(QString name, const WindowState& before, const WindowState& after,
                     std::uint64_t run) {
  const bool joins = run != 0 && done_ > 0 && At(done_ - 1).run == run;
  // A change that changed nothing leaves the steps to redo as they were.
  if (!joins && before == after) return;
  count_ = done_;
  if (joins) {
    Step& last = At(done_ - 1);
    last.after = after;
    if (last.before == after) count_ = --done_;
    return;
  }
  if (count_ == kLimit) {
    first_ = (first_ + 1) % kLimit;
    --count_;
  }
  Step step{std::move(name), before, after, run};
  if (const std::size_t place = (first_ + count_) % kLimit; place == steps_.size()) {
    steps_.push_back(std::move(step));
  } else {
    steps_[place] = std::move(step);
  }
  done_ = ++count_;
}

const Step* History::NextUndo() const {
  return done_ == 0 ? nullptr : &At(done_ - 1);
}

const Step* History::NextRedo() const {
  return done_ == count_ ? nullptr : &At(done_);
}

const WindowState* History::Undo() {
  if (done_ == 0) return nullptr;
  return &At(--done_).before;
}

const WindowState* History::Redo() {
  if (done_ == count_) return nullptr;
  return &At(done_++).after;
}

}  // namespace window
