// Time of one overlay redraw with the real Qt toolkit on a 1920 by 150
// canvas: key-colour fill, anti-aliased text in Arial 24 pt bold, the flags
// (cubic scaling is cached by the toolkit, blending is not), and the X shape
// rebuilt from the non-key pixels when drawing ends.
//
// Each redraw is timed on its own (manual time): the time the GUI thread
// spends in DrawOverlay. The counters give the median, 95th percentile and
// worst redraw in milliseconds.
// - BM_OverlayRedraw: the display is left idle for 30 ms between redraws
//   (untimed, its events handled), as in the player, where redraws come at
//   most once per 100 ms cue tick or key press. This is the figure that counts.
// - BM_OverlayRedrawBackToBack: redraws with only one event handled between
//   them. The X server then falls behind applying the shapes, the thread
//   waits for it inside the repaint, and the time per redraw shows the
//   server's own cost of each redraw.
//
// Run: tests/e2e/with_x.sh -s 1920x1080 <build>/bench/overlay/overlay_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/program_state.h"
#include "app/window_numbers.h"
#include "assets/flags.h"
#include "platform/qt_toolkit.h"
#include "subtitles/overlay_renderer.h"

namespace vokabino {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 150;
constexpr int kOverlayFont = 6;

// Owned by main; the toolkit must outlive every benchmark and go before exit.
QtToolkit* gToolkit = nullptr;

void PumpFor(UiToolkit& ui, std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    ui.ProcessOneEvent();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The overlay as the player builds it: window 1 owned by window 0, colour
// keyed, with canvas 3 filling it.
bool BuildOverlay(UiToolkit& ui) {
  if (!ui.OpenWindow(kPlaybackWindow, 0, 0, 800, 600, "Vokabino beta 1.0",
                     kTitleBar | kMaximiseBox | kCentred, kNoOwner))
    return false;
  if (!ui.OpenWindow(kOverlayWindow, 0, 1080 - 210, kWidth, kHeight, "", kBorderless,
                     kPlaybackWindow))
    return false;
  ui.SetColourKey(kOverlayWindow, kKeyColour);
  if (!ui.CreateCanvas(kOverlayCanvas, 0, 0, kWidth, kHeight, false)) return false;
  if (!ui.LoadFont(kOverlayFont, "Arial", 24, true, true)) return false;
  const auto us = UsFlagPng();
  const auto fr = FrenchFlagPng();
  if (!ui.DecodeImage(0, us.data(), us.size()) || !ui.DecodeImage(1, fr.data(), fr.size()))
    return false;
  PumpFor(ui, std::chrono::milliseconds(300));  // let the windows map
  return true;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  return values[at];
}

ProgramState OverlayState(std::int32_t displayMode) {
  ProgramState state;
  state.toolkit = gToolkit;
  state.displayMode = displayMode;
  state.overlayFontSlot = kOverlayFont;
  state.overlayTextColour = {255, 255, 255};
  state.currentLine = "I told you already, I'm not going back to that house tonight.";
  state.translatedLine = "Je te l'ai d\xE9j\xE0 dit, je ne retourne pas dans cette maison ce soir.";
  return state;
}

// range(0): the display mode, 2 paused (both lines and flags), 1 playing.
void TimeRedraws(benchmark::State& bench, std::chrono::milliseconds idleBetween) {
  ProgramState state = OverlayState(static_cast<std::int32_t>(bench.range(0)));
  PumpFor(*gToolkit, std::chrono::milliseconds(100));  // start from a settled display
  std::vector<double> millis;
  for (auto _ : bench) {
    const auto start = std::chrono::steady_clock::now();
    DrawOverlay(state);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    bench.SetIterationTime(took.count());
    millis.push_back(took.count() * 1000.0);
    if (idleBetween.count() > 0) {
      PumpFor(*gToolkit, idleBetween);
    } else {
      gToolkit->ProcessOneEvent();
    }
  }
  bench.counters["median_ms"] = Percentile(millis, 0.5);
  bench.counters["p95_ms"] = Percentile(millis, 0.95);
  bench.counters["max_ms"] = Percentile(millis, 1.0);
}

void BM_OverlayRedraw(benchmark::State& bench) {
  TimeRedraws(bench, std::chrono::milliseconds(30));
}
BENCHMARK(BM_OverlayRedraw)
    ->ArgName("mode")->Arg(2)->Arg(1)
    ->Iterations(300)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OverlayRedrawBackToBack(benchmark::State& bench) {
  TimeRedraws(bench, std::chrono::milliseconds(0));
}
BENCHMARK(BM_OverlayRedrawBackToBack)
    ->ArgName("mode")->Arg(2)->Arg(1)
    ->MinTime(2.0)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vokabino

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vokabino::QtToolkit toolkit;
  if (!toolkit.Initialise()) {
    std::fprintf(stderr, "overlay_bench: no X display (run it inside tests/e2e/with_x.sh)\n");
    return 1;
  }
  if (!vokabino::BuildOverlay(toolkit)) {
    std::fprintf(stderr, "overlay_bench: could not build the overlay\n");
    return 1;
  }
  vokabino::gToolkit = &toolkit;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  toolkit.ReleaseAll();
  return 0;
}
