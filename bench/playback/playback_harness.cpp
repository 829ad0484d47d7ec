// Runs a video through the program's own platform layer and main-loop pace,
// for measuring what playback, subtitles and pausing cost.
//
// usage:
//   playback_harness plain FILE SECONDS          the picture alone
//   playback_harness player FILE SECONDS [SRT]   the whole player, with subtitles
//   playback_harness paused FILE SECONDS         CPU of the main loop while paused
//   playback_harness pause-latency FILE COUNT    space press to redrawn overlay,
//                                                against a loopback service answering at once
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/startup.h"
#include "app/window_numbers.h"
#include "platform/mpv_player.h"
#include "platform/qt_toolkit.h"
#include "player/playback_window.h"
#include "player/video_input.h"
#include "subtitles/subtitle_loader.h"
#include "tests/translation/loopback_server.h"

namespace {

using namespace vokabino;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunFor(ProgramState& state, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) RunMainLoopPass(state);
}

void PlainPicture(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  toolkit.OpenWindow(0, 0, 0, 800, 600, "harness", kTitleBar | kMaximiseBox | kMaximised,
                     kNoOwner);
  const int w = toolkit.WindowClientWidth(0), h = toolkit.WindowClientHeight(0);
  toolkit.CreateCanvas(2, 0, 0, w, h, false);
  state.player->PlayInWindow(state.video, toolkit.WidgetNativeHandle(2));
}

Event SpacePress() {
  Event press;
  press.kind = EventKind::KeyDown;
  press.window = kPlaybackWindow;
  press.widget = kInputCanvas;
  press.keyCode = kSpaceKey;
  return press;
}

int PauseLatency(ProgramState& state, int count) {
  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    testing_support::ServerScript script;
    script.steps = {{"HTTP/1.1 200 OK\r\nContent-Length: 38\r\n\r\n"
                     "<translation>Bonjour%20%E0%20toi</translation>",
                     std::chrono::milliseconds(0)}};
    testing_support::LoopbackServer server(script);
    state.translation.host = server.Authority();
    RunFor(state, 0.3);
    const auto start = Clock::now();
    OnInputEvent(state, SpacePress());  // pause, ask, redraw: all before it returns
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (state.translatedLine.empty()) std::fprintf(stderr, "press %d: no translation\n", i);
    server.FinishAndTakeRequest();
    RunFor(state, 0.1);
    OnInputEvent(state, SpacePress());  // resume
  }
  std::sort(ms.begin(), ms.end());
  std::printf("space to redrawn overlay over %d presses: median %.2f ms, p90 %.2f ms, max %.2f ms\n",
              count, ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s plain|player|paused|pause-latency FILE N [SRT]\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const double amount = std::atof(argv[3]);
  QtToolkit toolkit;
  MpvPlayer player;
  if (!toolkit.Initialise() || !player.InitPlayer()) return 1;
  ProgramState state;
  state.toolkit = &toolkit;
  state.player = &player;
  InitialiseState(state);
  LoadFonts(toolkit);
  LoadFlagImages(toolkit);
  state.video = player.OpenVideo(argv[2]);
  if (!state.video) return 1;
  state.translation.scratchPath = "/tmp/vokabino-harness-teste.txt";

  if (mode == "plain") {
    PlainPicture(state);
    RunFor(state, amount);
  } else if (mode == "player") {
    if (argc > 4) LoadSubtitles(state.cues, argv[4], "EN");
    BuildPlayer(state, [] {});
    RunFor(state, amount);
  } else if (mode == "paused") {
    BuildPlayer(state, [] {});
    RunFor(state, 1.0);
    player.PausePlayback(state.video);
    RunFor(state, 0.5);
    const double before = CpuSeconds();
    RunFor(state, amount);
    const double used = CpuSeconds() - before;
    std::printf("paused main loop: %.3f s CPU over %.1f s = %.2f %% of one core\n", used, amount,
                100.0 * used / amount);
  } else if (mode == "pause-latency") {
    BuildPlayer(state, [] {});
    PauseLatency(state, static_cast<int>(amount));
  } else {
    return 2;
  }
  player.ReleaseAll();
  toolkit.ReleaseAll();
  return 0;
}
