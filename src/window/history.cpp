#include "window/history.h"

namespace window {

void History::Record(QString name, const WindowState& before, const WindowState& after,
                     std::uint64_t run) {
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
  if (run != 0 && !steps_.empty() && steps_.back().run == run) {
    steps_.back().after = after;
    if (steps_.back().before == after) {
      steps_.pop_back();
      --done_;
    }
    return;
  }
  if (before == after) return;
  steps_.push_back({std::move(name), before, after, run});
  if (steps_.size() > kLimit) steps_.pop_front();
  done_ = steps_.size();
}

const Step* History::NextUndo() const {
  return done_ == 0 ? nullptr : &steps_[done_ - 1];
}

const Step* History::NextRedo() const {
  return done_ == steps_.size() ? nullptr : &steps_[done_];
}

const WindowState* History::Undo() {
  if (done_ == 0) return nullptr;
  return &steps_[--done_].before;
}

const WindowState* History::Redo() {
  if (done_ == steps_.size()) return nullptr;
  return &steps_[done_++].after;
}

}  // namespace window
