#pragma once
// The playing phase laid out on the fake toolkit as the player builds it,
// with a video of 100 seconds by the frame count on a scripted player.
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/window_numbers.h"
#include "tests/doubles/fake_toolkit.h"
#include "tests/doubles/scripted_player.h"

namespace vokabino::testing_support {

struct PlayerLayout {
  int width = 810;   // 8 pixels a second over a 100-second video
  int height = 600;
  int progressCanvasTop = 0;
  std::int32_t frames = 2398;  // 100 s at 23.98 frames a second
};

struct PlayerFixture {
  explicit PlayerFixture(PlayerLayout layout = {}) : w(layout.width), h(layout.height) {
    toolkit.OpenWindow(kPlaybackWindow, 0, 0, w, h, "Vokabino beta 1.0",
                       kTitleBar | kMaximiseBox | kMaximised, kNoOwner);
    toolkit.CreateCanvas(kInputCanvas, 0, 0, w, h, true);
    toolkit.CreateCanvas(kVideoCanvas, 0, 0, w, h, false);
    toolkit.OpenWindow(kOverlayWindow, 0, h - 210, w, 150, "", kBorderless, kPlaybackWindow);
    toolkit.CreateCanvas(kOverlayCanvas, 0, 0, w, 150, false);
    toolkit.OpenWindow(kProgressWindow, 0, h - 15, w, 40, "", kBorderless | kHidden,
                       kPlaybackWindow);
    toolkit.CreateCanvas(kProgressCanvas, 0, layout.progressCanvasTop, w, 40, true);

    player.frames = layout.frames;
    player.length = 200 * kTicksPerSecond;
    state.toolkit = &toolkit;
    state.player = &player;
    state.video = player.OpenVideo("film.mp4");
    player.PlayInWindow(state.video, toolkit.WidgetNativeHandle(kVideoCanvas));
    state.displayMode = 1;
    log.clear();
    toolkit.drawOps.clear();
  }

  // Puts the scripted video in a state at a position in seconds.
  void Set(ScriptedPlayer::State playerState, double seconds) {
    player.state = playerState;
    player.position = static_cast<MediaTime>(seconds * kTicksPerSecond);
  }

  std::vector<DrawOp> OpsOn(int canvas) const {
    std::vector<DrawOp> ops;
    bool on = false;
    for (const DrawOp& op : toolkit.drawOps) {
      if (op.kind == DrawOp::Begin) on = op.value == canvas;
      if (on) ops.push_back(op);
      if (op.kind == DrawOp::End) on = false;
    }
    return ops;
  }

  int DrawingsOf(int canvas) const {
    int count = 0;
    for (const DrawOp& op : toolkit.drawOps)
      if (op.kind == DrawOp::Begin && op.value == canvas) ++count;
    return count;
  }

  int w, h;
  std::vector<std::string> log;
  FakeToolkit toolkit{&log};
  ScriptedPlayer player{&log};
  ProgramState state;
};

}  // namespace vokabino::testing_support
