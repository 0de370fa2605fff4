// The history alone: which changes become steps, which join, what undo and
// redo bring back, and how many steps are kept. States are told apart by
// their text colour.
#include "window/history.h"

#include <gtest/gtest.h>

#include <string>

namespace window {
namespace {

WindowState State(int n) {
  WindowState state;
  state.fore = n;
  return state;
}

std::string Name(const Step* step) {
  return step ? step->name.toStdString() : "-";
}

int Fore(const WindowState* state) {
  return state ? static_cast<int>(state->fore) : -1;
}

TEST(History, StepsJoinUndoAndRedoRowByRow) {
  enum class Do { Record, Undo, Redo };
  // The action (a record: name, states before and after, run); the state
  // undo or redo brought back (-1: none); the steps undo and redo name next.
  struct Row {
    const char* what;
    Do action;
    const char* name;
    int before, after;
    std::uint64_t run;
    int brought;
    const char* undo;
    const char* redo;
  };
  const Row rows[] = {
      {"nothing to undo at first", Do::Undo, "", 0, 0, 0, -1, "-", "-"},
      {"a change is a step", Do::Record, "Swap", 0, 1, 0, -1, "Swap", "-"},
      {"a change of nothing is none", Do::Record, "Paste", 1, 1, 0, -1, "Swap", "-"},
      {"a run starts a step", Do::Record, "Drag", 1, 2, 7, -1, "Drag", "-"},
      {"and its next change joins it", Do::Record, "Drag", 2, 3, 7, -1, "Drag", "-"},
      {"another change ends the run", Do::Record, "Pick", 3, 4, 0, -1, "Pick", "-"},
      {"so the run starts anew", Do::Record, "Drag", 4, 5, 7, -1, "Drag", "-"},
      {"a run back where it began is no step", Do::Record, "Drag", 5, 4, 7, -1, "Pick", "-"},
      {"undo brings back the state before", Do::Undo, "", 0, 0, 0, 3, "Drag", "Pick"},
      {"a joined step undoes whole", Do::Undo, "", 0, 0, 0, 1, "Swap", "Drag"},
      {"redo brings back the state after", Do::Redo, "", 0, 0, 0, 3, "Drag", "Pick"},
      {"a change of nothing keeps the redo steps", Do::Record, "Paste", 3, 3, 0, -1, "Drag",
       "Pick"},
      {"a new change drops the redo steps", Do::Record, "Store", 3, 6, 0, -1, "Store", "-"},
      {"nothing to redo", Do::Redo, "", 0, 0, 0, -1, "Store", "-"},
      {"an undone run is not joined", Do::Undo, "", 0, 0, 0, 3, "Drag", "Store"},
      {"", Do::Undo, "", 0, 0, 0, 1, "Swap", "Drag"},
      {"", Do::Record, "Drag", 1, 8, 7, -1, "Drag", "-"},
      {"", Do::Undo, "", 0, 0, 0, 1, "Swap", "Drag"},
      {"", Do::Undo, "", 0, 0, 0, 0, "-", "Swap"},
  };
  History history;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const WindowState* brought = nullptr;
    switch (row.action) {
      case Do::Record:
        history.Record(QString::fromLatin1(row.name), State(row.before), State(row.after), row.run);
        break;
      case Do::Undo:
        brought = history.Undo();
        break;
      case Do::Redo:
        brought = history.Redo();
        break;
    }
    EXPECT_EQ(Fore(brought), row.brought);
    EXPECT_EQ(Name(history.NextUndo()), row.undo);
    EXPECT_EQ(Name(history.NextRedo()), row.redo);
  }
}

// The oldest steps give way to new ones beyond the limit, also after undos.
TEST(History, KeepsTheLatestStepsBeyondTwoHundred) {
  static_assert(History::kLimit >= 200);
  History history;
  const int recorded = 300;
  for (int n = 0; n < recorded; ++n) history.Record(QStringLiteral("Step"), State(n), State(n + 1));
  for (int n = 0; n < 10; ++n) history.Undo();
  history.Record(QStringLiteral("Last"), State(recorded - 10), State(1000));
  EXPECT_EQ(Name(history.NextUndo()), "Last");
  int undone = 0;
  const WindowState* oldest = nullptr;
  while (const WindowState* state = history.Undo()) {
    oldest = state;
    ++undone;
  }
  EXPECT_EQ(undone, static_cast<int>(History::kLimit) - 9);
  EXPECT_EQ(Fore(oldest), recorded - static_cast<int>(History::kLimit));
  for (int n = 0; n < undone; ++n) history.Redo();
  EXPECT_EQ(Fore(history.Undo()), recorded - 10);
}

}  // namespace
}  // namespace window
