#include "palette/promptsaver.h"

#include <QMetaObject>
#include <utility>

namespace palette {

PromptSaver::PromptSaver(Save save, Report report, std::chrono::milliseconds gather)
    : save_(std::move(save)),
      report_(std::move(report)),
      gather_(gather),
      receiver_(std::make_unique<QObject>()) {}

PromptSaver::~PromptSaver() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void PromptSaver::Store(const Records& records) {
  {
    const std::lock_guard lock(mutex_);
    // The first store of a batch sets when it is written; later ones join
    // it, so a steady stream of stores still reaches the file in time.
    if (!waiting_) due_ = std::chrono::steady_clock::now() + gather_;
    waiting_ = records;
    // Made at the first store, not with the window: most runs store nothing.
    if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

void PromptSaver::Claim(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !writing_; });
  writing_ = true;
  ++writes_;
}

void PromptSaver::Release() {
  {
    const std::lock_guard lock(mutex_);
    writing_ = false;
  }
  changed_.notify_all();
}

Saved PromptSaver::SaveNow(const Records& records) {
  std::unique_lock lock(mutex_);
  waiting_.reset();
  Claim(lock);
  lastSaveNow_ = writes_;
  lock.unlock();
  Saved saved = save_(records);
  Release();
  return saved;
}

void PromptSaver::Flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !writing_; });
  if (!waiting_) return;
  const Records records = *std::exchange(waiting_, std::nullopt);
  Claim(lock);
  lock.unlock();
  save_(records);
  Release();
}

std::uint64_t PromptSaver::Writes() const {
  const std::lock_guard lock(mutex_);
  return writes_;
}

void PromptSaver::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const bool due = waiting_ && (stopping_ || std::chrono::steady_clock::now() >= due_);
    if (due && !writing_) {
      const Records records = *std::exchange(waiting_, std::nullopt);
      Claim(lock);
      const std::uint64_t number = writes_;
      lock.unlock();
      Saved saved = save_(records);
      Release();
      if (report_) {
        QMetaObject::invokeMethod(
            receiver_.get(),
            [this, number, saved = std::move(saved)] {
              {
                const std::lock_guard held(mutex_);
                if (lastSaveNow_ > number) return;
              }
              report_(saved);
            },
            Qt::QueuedConnection);
      }
      lock.lock();
      continue;
    }
    if (stopping_ && !waiting_) return;
    if (waiting_ && !writing_) {
      changed_.wait_until(lock, due_);
    } else {
      changed_.wait(lock);
    }
  }
}

}  // namespace palette
