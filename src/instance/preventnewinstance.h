// The single-instance guard: when another copy of the program is running,
// bring that copy's window forward and end this one.
#pragma once

#include <QString>
#include <memory>

namespace instance {

// The title a copy takes on so that a search by the product name cannot find
// the copy that is doing the searching.
inline constexpr char kDecoyTitle[] = "unwanted instance";

// What the guard needs of the program it guards: the title other copies find
// it by, and ending it at once.
class GuardedProgram {
 public:
  virtual ~GuardedProgram() = default;

  virtual QString Title() const = 0;
  virtual void SetTitle(const QString& title) = 0;
  // Ends the program without unloading its window or saving anything.
  [[noreturn]] virtual void End() = 0;
};

// What the guard needs of the platform: the running copies, each known by its
// current application title.
class WindowFinder {
 public:
  // Another running copy, as the search found it.
  class Window {
   public:
    virtual ~Window() = default;
    // Restores that copy's main window if it is minimised and brings it to
    // the front with the input focus. Whether it worked is not reported.
    virtual void Activate() = 0;
  };

  virtual ~WindowFinder() = default;

  // Another running copy whose title is `title` right now, if there is one.
  virtual std::unique_ptr<Window> FindWindow(const QString& title) = 0;
};

// Returns when no running copy bears this copy's title; otherwise activates
// that copy and ends this one through `program`. Either way this copy's
// title is the decoy title afterwards.
void CheckPrevInstance(GuardedProgram& program, WindowFinder& finder);

}  // namespace instance
