// Event paths of the real window, on the offscreen platform: the time from
// an event to the last control its handlers update, for the events a user
// sends most, and the palette file's load and save.
//
// The window is the one the program shows, made, loaded and shown the same
// way, in a program folder of its own; only the search for other running
// copies is left out, since no other copy runs here. Each benchmark checks
// afterwards that its event did what it should, so that a path that stopped
// early cannot pass for a fast one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <array>
#include <chrono>
#include <memory>

#include "colour/colour.h"
#include "colour/contrast.h"
#include "colour/readable.h"
#include "palette/palettefile.h"
#include "shown_window.h"
#include "window/layout.h"
#include "window/main.h"

namespace {

using Clock = std::chrono::steady_clock;

QString FileIn(const QTemporaryDir& folder) {
  return folder.filePath(QString::fromLatin1(palette::kFileName));
}

QString FinalHex(colour::ColourWord word) {
  return QString::fromStdString(colour::FinalHex(word));
}

colour::ColourWord SliderColour(const window::Main& main) {
  return colour::RGB(main.vsbCOLOR[0].Value(), main.vsbCOLOR[1].Value(), main.vsbCOLOR[2].Value());
}

// The background option is chosen at start, so the sliders edit the background.
bool BackgroundFollowsSliders(const window::Main& main) {
  return main.txtEXAMPLE->BackColor() == SliderColour(main) &&
         main.txtFINALHEX[1].Text() == FinalHex(SliderColour(main)) &&
         main.txtFINALHEX[0].Text() == FinalHex(main.txtEXAMPLE->ForeColor());
}

// The red slider moved by an assignment, which raises Change like a step of
// the user's: the channel box, the preview and both final boxes follow. With
// `painted`, up to the repainted window: what the user waits for to see.
void MoveRedSlider(benchmark::State& state, bool painted,
                   colour::Vision vision = colour::Vision::Normal) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  main.txtEXAMPLE_Simulate(vision);
  std::int16_t value = 0;
  for (auto _ : state) {
    value = value == 0x12 ? 0x34 : 0x12;
    main.vsbCOLOR[0].SetValue(value);
    if (painted) QApplication::processEvents();
  }
  if (main.vsbCOLOR[0].Value() != value || !BackgroundFollowsSliders(main) ||
      main.txtHEXCOLOR[0].Text() != QString::fromStdString(colour::ChannelHexText(value))) {
    state.SkipWithError("the slider's change did not reach every box");
  }
}

void SliderChange(benchmark::State& state) {
  MoveRedSlider(state, false);
}

void SliderChangePainted(benchmark::State& state) {
  MoveRedSlider(state, true);
}

// The same with the preview drawn as someone with protanopia sees it: only
// the drawing of the changed colour goes through the simulation.
void SliderChangeSimulated(benchmark::State& state) {
  MoveRedSlider(state, false, colour::Vision::Protanopia);
}

// The search of a pair where both ways reach the threshold, so that both
// bisections run to the end: mid-grey on itself, for large text. Every pair
// costs at most these two bisections of a fixed number of steps.
void MakeReadable(benchmark::State& state) {
  colour::Readable readable{};
  for (auto _ : state) {
    readable = colour::MakeReadable(0x00808080, 0x00808080, colour::kAALarge);
    benchmark::DoNotOptimize(readable);
  }
  if (!readable.reached || colour::ContrastRatio(readable.colour, 0x00808080) < colour::kAALarge) {
    state.SkipWithError("the pair was not made readable");
  }
}

// The palette exported as CSS through a save file beside the program, each
// time over the last export.
void PaletteExport(benchmark::State& state) {
  bench::ShownWindow window;
  const QString path = window.programFolder.filePath(QStringLiteral("palette.css"));
  for (auto _ : state) {
    if (!window.main.ExportPalette(path, window::PaletteFormat::Css)) {
      return state.SkipWithError("the export failed");
    }
  }
  if (QFileInfo(path).size() < 24 * 2 * 30) state.SkipWithError("the export is not whole");
}

// One hex digit typed over the red channel's selected text, as a key from
// the platform arrives: shortcut check, press, release. The key filter takes
// it, and the slider, the preview and both final boxes follow. Selecting the
// text, as the box does when it gets the focus, is not timed.
void TypedDigit(benchmark::State& state) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  auto* box = main.form.widget()->findChild<QLineEdit*>(QStringLiteral("txtHEXCOLOR(0)"));
  if (box == nullptr) return state.SkipWithError("no channel box txtHEXCOLOR(0)");
  box->setFocus();
  QApplication::processEvents();
  struct Digit {
    Qt::Key key;
    QString text;
    std::int16_t value;
  };
  const std::array<Digit, 2> digits = {
      {{Qt::Key_8, QStringLiteral("8"), 0x8}, {Qt::Key_F, QStringLiteral("f"), 0xF}}};
  std::size_t next = 0;
  for (auto _ : state) {
    const Digit& digit = digits[next];
    next = 1 - next;
    box->selectAll();
    QKeyEvent shortcut(QEvent::ShortcutOverride, digit.key, Qt::NoModifier, digit.text);
    QKeyEvent press(QEvent::KeyPress, digit.key, Qt::NoModifier, digit.text);
    QKeyEvent release(QEvent::KeyRelease, digit.key, Qt::NoModifier, digit.text);
    const Clock::time_point start = Clock::now();
    QApplication::sendEvent(box, &shortcut);
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  if (main.vsbCOLOR[0].Value() != digits[1 - next].value || !BackgroundFollowsSliders(main)) {
    state.SkipWithError("the typed digit did not reach every box");
  }
}

// A left press on a swatch, alternating between two whose colours differ in
// every channel: the preview, the sliders, the channel boxes, both final
// boxes and the marker follow.
void SwatchRecall(benchmark::State& state) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  std::int16_t swatch = 0;
  for (auto _ : state) {
    swatch = static_cast<std::int16_t>(1 - swatch);
    main.lblSTORE_MouseDown(swatch, 1, 0, 0, 0);
  }
  if (main.txtFINALHEX[0].Text() != FinalHex(main.lblSTORE[swatch].ForeColor()) ||
      main.txtFINALHEX[1].Text() != FinalHex(main.lblSTORE[swatch].BackColor()) ||
      SliderColour(main) != main.lblSTORE[swatch].BackColor()) {
    state.SkipWithError("the recalled pair did not reach every box");
  }
}

// Choosing the other option of the pair: the sliders take the colour it
// edits. The preview holds white on brown, so every channel moves.
void OptionSwitch(benchmark::State& state) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  main.lblSTORE_MouseDown(1, 1, 0, 0, 0);
  std::int16_t option = 1;
  for (auto _ : state) {
    option = static_cast<std::int16_t>(1 - option);
    main.optITEM[option].SetValue(true);
  }
  const colour::ColourWord edited =
      option == 0 ? main.txtEXAMPLE->ForeColor() : main.txtEXAMPLE->BackColor();
  if (SliderColour(main) != edited) state.SkipWithError("the sliders did not follow the option");
}

// The colour a pick took, as the picker hands it over: the sliders, the
// channel boxes, the preview and both final boxes follow; with the argument
// 1, up to the preview repainted in it (which paints every control changed). Reading the pixel is
// the X server's part, timed with the rest of the X11 path in bench/picker_paths.cpp; the tip that
// says what was taken comes later and is not timed.
void PickedColour(benchmark::State& state) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  QWidget* preview = main.txtEXAMPLE->widget();
  const std::array<colour::ColourWord, 2> picked = {colour::RGB(0x12, 0x34, 0x56),
                                                    colour::RGB(0xAB, 0xCD, 0xEF)};
  std::size_t next = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    main.PickedColour(picked[next]);
    if (state.range(0) == 1) preview->repaint();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    QApplication::processEvents();
    next = 1 - next;
  }
  if (main.txtEXAMPLE->BackColor() != picked[1 - next] || !BackgroundFollowsSliders(main)) {
    state.SkipWithError("the picked colour did not reach every box");
  }
}

// Make All Readable over 24 swatches that all fail: each a grey on itself,
// a different grey each, so that every swatch runs its search to the end.
// Timed from the command to the last swatch redescribed and the tip shown;
// putting the failing pairs back between passes is not timed.
void MakeAllReadable(benchmark::State& state) {
  bench::ShownWindow window;
  window::Main& main = window.main;
  const auto grey = [](int i) {
    const auto channel = static_cast<colour::Channel>(0x70 + i);
    return colour::RGB(channel, channel, channel);
  };
  for (auto _ : state) {
    for (std::int16_t i = 0; i < window::kSwatchCount; ++i)
      main.lblSTORE[i].SetColors(grey(i), grey(i));
    const Clock::time_point start = Clock::now();
    main.Picture1_MakeAllReadable(colour::kAANormal);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  for (std::int16_t i = 0; i < window::kSwatchCount; ++i) {
    if (colour::ContrastRatio(main.lblSTORE[i].ForeColor(), main.lblSTORE[i].BackColor()) <
        colour::kAANormal) {
      return state.SkipWithError("a swatch was left failing");
    }
  }
}

// The Check Palette window's first opening, up to its 25 rows painted: it is
// made then, so each opening is in a window of its own, made untimed.
void CheckPaletteOpen(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<bench::ShownWindow>();
    state.ResumeTiming();
    const Clock::time_point start = Clock::now();
    window->main.Picture1_CheckPalette();
    auto* table = window->main.form.widget()->findChild<QTableView*>(QStringLiteral("pairs"));
    if (table == nullptr) return state.SkipWithError("no table of pairs");
    table->window()->repaint();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (table->model()->rowCount() != 25 || !table->isVisible()) {
      return state.SkipWithError("the window does not show the 25 pairs");
    }
  }
}

palette::Records SomeRecords() {
  palette::Records records;
  for (int n = 0; n < palette::kRecordCount; ++n) {
    records[static_cast<std::size_t>(n)] = {0x00102030 * n, 0x00FFFFFF - 0x00050505 * n};
  }
  return records;
}

// The save at the window's close: a new file written and renamed over the
// old one, each time with other bytes.
void PaletteSave(benchmark::State& state) {
  QTemporaryDir programFolder{bench::ScratchTemplate()};
  QTemporaryDir userFolder{bench::ScratchTemplate()};
  palette::PaletteFile file(FileIn(programFolder), FileIn(userFolder));
  palette::Records records = SomeRecords();
  for (auto _ : state) {
    records[0].fore ^= 1;
    if (!file.Save(records).problem.isEmpty()) return state.SkipWithError("the save failed");
  }
  if (palette::PaletteFile(FileIn(programFolder), {}).Load().records[0] != records[0]) {
    state.SkipWithError("the file does not hold the last save");
  }
}

// The load at the window's start, of a whole 200-byte file beside the program.
void PaletteLoad(benchmark::State& state) {
  QTemporaryDir programFolder{bench::ScratchTemplate()};
  QTemporaryDir userFolder{bench::ScratchTemplate()};
  const palette::Records records = SomeRecords();
  if (!palette::PaletteFile(FileIn(programFolder), {}).Save(records).problem.isEmpty()) {
    return state.SkipWithError("the file could not be made");
  }
  palette::Loaded loaded;
  for (auto _ : state) {
    palette::PaletteFile file(FileIn(programFolder), FileIn(userFolder));
    loaded = file.Load();
    benchmark::DoNotOptimize(loaded);
  }
  if (loaded.records[palette::kPreviewRecord - 1] != records[palette::kPreviewRecord - 1]) {
    state.SkipWithError("the load did not read the file");
  }
}

BENCHMARK(SliderChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(SliderChangePainted)->Unit(benchmark::kMicrosecond);
BENCHMARK(SliderChangeSimulated)->Unit(benchmark::kMicrosecond);
BENCHMARK(MakeReadable)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaletteExport)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypedDigit)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(SwatchRecall)->Unit(benchmark::kMicrosecond);
BENCHMARK(OptionSwitch)->Unit(benchmark::kMicrosecond);
BENCHMARK(PickedColour)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(MakeAllReadable)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(CheckPaletteOpen)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(20);
BENCHMARK(PaletteSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaletteLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // The real window, without a display; a platform the caller chose wins.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
