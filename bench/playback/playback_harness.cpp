// Plays a video through the program's own platform layer and main-loop pace,
// for measuring playback cost against other players.
//
// usage: playback_harness FILE SECONDS [paused]
// Plays FILE maximised for SECONDS; with "paused", plays one second, pauses,
// and reports the CPU the idle loop used over SECONDS while paused.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_loop.h"
#include "platform/mpv_player.h"
#include "platform/qt_toolkit.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunFor(vokabino::ProgramState& state, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) vokabino::RunMainLoopPass(state);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vokabino;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FILE SECONDS [paused]\n", argv[0]);
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  const bool paused = argc > 3 && std::string(argv[3]) == "paused";
  QtToolkit toolkit;
  MpvPlayer player;
  if (!toolkit.Initialise() || !player.InitPlayer()) return 1;
  ProgramState state;
  state.toolkit = &toolkit;
  state.player = &player;
  state.video = player.OpenVideo(argv[1]);
  if (!state.video) return 1;
  toolkit.OpenWindow(0, 0, 0, 800, 600, "harness", kTitleBar | kMaximised, kNoOwner);
  const int w = toolkit.WindowClientWidth(0), h = toolkit.WindowClientHeight(0);
  toolkit.CreateCanvas(2, 0, 0, w, h, false);
  player.PlayInWindow(state.video, toolkit.WidgetNativeHandle(2));
  if (!paused) {
    RunFor(state, seconds);
  } else {
    RunFor(state, 1.0);
    player.PausePlayback(state.video);
    RunFor(state, 0.5);
    const double before = CpuSeconds();
    RunFor(state, seconds);
    const double used = CpuSeconds() - before;
    std::printf("paused idle loop: %.3f s CPU over %.1f s = %.2f %% of one core\n", used, seconds,
                100.0 * used / seconds);
  }
  player.ReleaseAll();
  toolkit.ReleaseAll();
  return 0;
}
