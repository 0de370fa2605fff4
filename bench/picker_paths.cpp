// Picking from the screen on a virtual X server: a pointer move to the loupe
// repainted, and a click to the preview repainted. The pointer is moved and
// clicked through XTEST on a connection of the benchmark's own, so input
// reaches the picker the way a mouse's does, through the X server.
//
// Run on the xcb platform under a virtual X server (scripts/bench.sh).
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QApplication>
#include <chrono>
#include <functional>

#include "colour/colour.h"
#include "shown_window.h"
#include "window/main.h"

namespace {

using Clock = std::chrono::steady_clock;

// A mouse of the benchmark's own.
class FakeMouse {
 public:
  FakeMouse() : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~FakeMouse() { xcb_disconnect(connection_); }
  FakeMouse(const FakeMouse&) = delete;
  FakeMouse& operator=(const FakeMouse&) = delete;

  void MoveTo(const QPoint& at) {
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                        static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()), 0);
    xcb_flush(connection_);
  }
  void Button(bool press) {
    xcb_test_fake_input(connection_, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

bool SpinUntil(const std::function<bool()>& done) {
  const Clock::time_point give_up = Clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (Clock::now() > give_up) return false;
    QApplication::processEvents();
  }
  return true;
}

QWidget* Loupe() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QStringLiteral("loupe") && widget->isVisible()) return widget;
  }
  return nullptr;
}

// The window as the program shows it, and two spots of it whose colours are
// known: the backgrounds of swatches 1 and 2, inside their borders.
struct PickingWindow : bench::ShownWindow {
  PickingWindow() {
    SpinUntil([&] { return main.form.widget()->isActiveWindow(); });
    for (int i = 0; i < 2; ++i) {
      const forms::Label& swatch = main.lblSTORE[i + 1];
      spots[i] = swatch.widget()->mapToGlobal(QPoint(4, 4));
      colours[i] = swatch.BackColor();
    }
  }

  bool StartPick() {
    main.Form_PickFromScreen();
    return SpinUntil([] { return Loupe() != nullptr; });
  }

  std::array<QPoint, 2> spots;
  std::array<colour::ColourWord, 2> colours{};
  // One for the whole run: Xvfb has been seen to keep a button down after
  // the release from a second XTEST client, once the first had gone.
  static inline FakeMouse mouse;
};

QString Hex(colour::ColourWord word) {
  return QString::fromStdString(colour::FinalHex(word));
}

// The pointer moved onto another pixel, up to the loupe repainted with it.
void LoupeMove(benchmark::State& state) {
  PickingWindow window;
  if (!window.StartPick()) return state.SkipWithError("no pick started");
  std::size_t next = 0;
  for (auto _ : state) {
    const QString shown = QStringLiteral("#") + Hex(window.colours[next]);
    const Clock::time_point start = Clock::now();
    window.mouse.MoveTo(window.spots[next]);
    if (!SpinUntil([&] { return Loupe()->accessibleName() == shown; })) {
      return state.SkipWithError("the loupe did not follow the pointer");
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    next = 1 - next;
  }
}

// A left click during a pick, up to the preview repainted in the colour
// taken. Starting each pick and moving to the spot are not timed.
void PickClick(benchmark::State& state) {
  PickingWindow window;
  QWidget* preview = window.main.txtEXAMPLE->widget();
  std::size_t next = 0;
  for (auto _ : state) {
    if (!window.StartPick()) return state.SkipWithError("no pick started");
    const QString shown = QStringLiteral("#") + Hex(window.colours[next]);
    window.mouse.MoveTo(window.spots[next]);
    if (!SpinUntil([&] { return Loupe() && Loupe()->accessibleName() == shown; })) {
      return state.SkipWithError("the loupe did not follow the pointer");
    }
    const Clock::time_point start = Clock::now();
    window.mouse.Button(true);
    if (!SpinUntil([&] { return window.main.txtEXAMPLE->BackColor() == window.colours[next]; })) {
      return state.SkipWithError("the click did not reach the preview");
    }
    preview->repaint();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    window.mouse.Button(false);
    next = 1 - next;
  }
  if (window.main.txtFINALHEX[1].Text() != Hex(window.colours[1 - next])) {
    state.SkipWithError("the final hex box did not follow the pick");
  }
}

}  // namespace

BENCHMARK(PickClick)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(LoupeMove)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
