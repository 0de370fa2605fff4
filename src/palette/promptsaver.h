// The palette's prompt save: each store into a swatch reaches the palette
// file soon, so that a display that goes away, a crash or a kill loses no
// stored pair. The window hands over the whole palette after every store;
// a worker thread writes it by the palette file's own safe save (whole
// file, synced, renamed), at most one write at a time. Stores that come
// while a write waits or runs join the next write: only the newest palette
// is written.
//
// Every save of the palette file goes through one object of this class, the
// save at close included, so that saves never overlap and each one judges
// outside changes against what the one before it wrote. What to tell the
// user about a prompt save, and when, is the window's to decide; this only
// reports each result on the thread that made the object.
#pragma once

#include <QObject>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "palette/palettefile.h"

namespace palette {

class PromptSaver {
 public:
  using Save = std::function<Saved(const Records&)>;
  using Report = std::function<void(const Saved&)>;

  // How long a store waits for others to join it before it is written. With
  // a write of a few milliseconds, a store is in the file well within a
  // second.
  static constexpr std::chrono::milliseconds kGather{250};

  // `save` writes a palette, usually PaletteFile::Save; it runs on the
  // worker thread or on the caller of SaveNow and Flush, never two at once.
  // `report` gets each prompt save's result on the thread that made this
  // object, unless a later SaveNow has already spoken for that palette.
  PromptSaver(Save save, Report report, std::chrono::milliseconds gather = kGather);
  // Writes what is still waiting, then stops the worker.
  ~PromptSaver();
  PromptSaver(const PromptSaver&) = delete;
  PromptSaver& operator=(const PromptSaver&) = delete;

  // The palette as it now stands, to be written soon. Returns at once.
  void Store(const Records& records);

  // Writes `records` now, on this thread: the save at close and at the end of
  // a session. It waits for a write in flight to finish, and takes the place
  // of a palette still waiting, which `records` supersedes.
  Saved SaveNow(const Records& records);

  // Writes the palette still waiting, if any, on this thread, after a write
  // in flight: for a program that is ending without a close.
  void Flush();

  // How many writes have been started, by any of the three ways in.
  std::uint64_t Writes() const;

 private:
  void Run();
  // Takes the writer's turn: waits, with `lock` held, until no write runs.
  void Claim(std::unique_lock<std::mutex>& lock);
  void Release();

  Save save_;
  Report report_;
  const std::chrono::milliseconds gather_;
  // Results go through this object's event queue; what is still queued
  // when it is deleted is dropped with it.
  std::unique_ptr<QObject> receiver_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Records> waiting_;
  std::chrono::steady_clock::time_point due_;
  bool writing_ = false;
  bool stopping_ = false;
  std::uint64_t writes_ = 0;
  // The number of the last write made by SaveNow; a prompt save started
  // before it is not reported.
  std::uint64_t lastSaveNow_ = 0;
  std::thread worker_;
};

}  // namespace palette
