// Undo and redo of each kind of step in the real window, on the offscreen
// platform: the handler's time from the key's command to the last control
// it updates. Each step is made once as the user makes it, then undone and
// redone in turn; only the direction named is timed. Each benchmark checks
// afterwards that undo and redo brought back the states they should.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <array>
#include <chrono>
#include <functional>

#include "colour/readable.h"
#include "shown_window.h"
#include "window/main.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StepKind {
  const char* name;
  std::function<void(window::Main&)> make;
};

constexpr std::int16_t kLeft = 1;
constexpr std::int16_t kRight = 2;

const std::array<StepKind, 10> kKinds = {{
    // A drag, the keys and the wheel all move a slider: the same step.
    {"SliderMove", [](window::Main& main) { main.vsbCOLOR[0].SetValue(0x80); }},
    {"Typing", [](window::Main& main) { main.txtHEXCOLOR[1].SetText(QStringLiteral("4a")); }},
    {"Pick", [](window::Main& main) { main.PickedColour(0x00123456); }},
    {"Paste",
     [](window::Main& main) {
       QApplication::clipboard()->setText(QStringLiteral("rebeccapurple"));
       main.Form_Paste();
     }},
    {"Swap", [](window::Main& main) { main.Form_Swap(); }},
    {"MakeReadable",
     [](window::Main& main) {
       main.lblSTORE_MouseDown(1, kLeft, 0, 0, 0);  // white on brown
       main.Change(QStringLiteral("Setup"), [&] { main.SetSliders(0x00AAAAAA); });
       main.txtEXAMPLE_MakeReadable(colour::kAANormal);
     }},
    {"Recall", [](window::Main& main) { main.lblSTORE_MouseDown(3, kLeft, 0, 0, 0); }},
    {"Store",
     [](window::Main& main) {
       main.Change(QStringLiteral("Setup"), [&] { main.SetSliders(0x00010203); });
       main.lblSTORE_MouseDown(9, kRight, 0, 0, 0);
     }},
    // An import and Make All Readable: every swatch and the preview change.
    {"EverySwatch",
     [](window::Main& main) {
       main.Change(QStringLiteral("Import Palette"), [&] {
         for (std::int16_t i = 0; i < 24; ++i) {
           main.lblSTORE[i].SetForeColor(0x00102030 * i);
           main.lblSTORE[i].SetBackColor(0x00FFFFFF - 0x00050505 * i);
         }
         main.SwatchesChanged();
         main.SetSliders(0x00336699);
       });
     }},
    // The longest: every swatch, the preview and the marker.
    {"EverySwatchAndRecall",
     [](window::Main& main) {
       main.Change(QStringLiteral("Make All Readable"), [&] {
         for (std::int16_t i = 0; i < 24; ++i) main.lblSTORE[i].SetBackColor(0x00FFFFFF - i);
         main.SwatchesChanged();
         main.lblSTORE_MouseDown(23, kLeft, 0, 0, 0);
       });
     }},
}};

// Times undo (or redo) of one step of `kind`, the other direction untimed.
void UndoRedo(benchmark::State& state, const StepKind& kind, bool redo) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  kind.make(main);
  const window::WindowState after = main.Snapshot();
  main.Form_Undo();
  const window::WindowState before = main.Snapshot();
  if (before == after) return state.SkipWithError("the step changed nothing");
  for (auto _ : state) {
    if (!redo) main.Form_Redo();
    const Clock::time_point start = Clock::now();
    redo ? main.Form_Redo() : main.Form_Undo();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (redo) main.Form_Undo();
  }
  const window::WindowState undone = main.Snapshot();
  main.Form_Redo();
  if (undone != before || main.Snapshot() != after) {
    state.SkipWithError("undo or redo did not bring the window back");
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The real window, without a display; a platform the caller chose wins.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (const StepKind& kind : kKinds) {
    for (const bool redo : {false, true}) {
      const std::string name = std::string(redo ? "Redo/" : "Undo/") + kind.name;
      benchmark::RegisterBenchmark(name.c_str(), UndoRedo, kind, redo)
          ->Unit(benchmark::kMicrosecond)
          ->UseManualTime();
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
