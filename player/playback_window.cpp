#include "player/playback_window.h"

#include "app/window_numbers.h"
#include "player/progress_strip.h"
#include "player/video_input.h"
#include "subtitles/cue_scheduler.h"
#include "subtitles/overlay_renderer.h"

namespace vokabino {

void OnTimer(ProgramState& state, int timer) {
  if (timer == kProgressTimer) {
    RedrawProgressStrip(state);
  } else if (timer == kCueTimer) {
    CueTick(state);
  }
}

void BuildPlayer(ProgramState& state, const std::function<void()>& end) {
  UiToolkit& toolkit = *state.toolkit;
  MoviePlayer& player = *state.player;

  toolkit.OpenWindow(kPlaybackWindow, 0, 0, 800, 600, "Vokabino beta 1.0",
                     kTitleBar | kMaximiseBox | kMaximised | kCentred, kNoOwner);
  toolkit.SetWindowBackground(kPlaybackWindow, Rgb{0, 0, 0});
  // Read once, after the window manager has settled the maximised size;
  // nothing is resized or moved afterwards.
  const int w = toolkit.WindowClientWidth(kPlaybackWindow);
  const int h = toolkit.WindowClientHeight(kPlaybackWindow);
  player.SetPictureRect(state.video, 0, 0, w, h);
  // The input canvas is made first so that it lies in front of the picture.
  toolkit.CreateCanvas(kInputCanvas, 0, 0, w, h, /*keyboard=*/true);
  toolkit.CreateCanvas(kVideoCanvas, 0, 0, w, h, /*keyboard=*/false);
  player.PlayInWindow(state.video, toolkit.WidgetNativeHandle(kVideoCanvas));

  // The overlay band: its y is the client height taken as a screen row.
  toolkit.OpenWindow(kOverlayWindow, 0, h - 210, w, 150, "", kBorderless, kPlaybackWindow);
  toolkit.SetColourKey(kOverlayWindow, kKeyColour);
  toolkit.CreateCanvas(kOverlayCanvas, 0, 0, toolkit.WindowClientWidth(kOverlayWindow),
                       toolkit.WindowClientHeight(kOverlayWindow), /*keyboard=*/false);
  DrawOverlay(state);

  toolkit.OpenWindow(kProgressWindow, 0, h - 15, w, 40, "", kBorderless | kHidden,
                     kPlaybackWindow);
  toolkit.SetColourKey(kProgressWindow, kKeyColour);
  toolkit.CreateCanvas(kProgressCanvas, 0, 0, toolkit.WindowClientWidth(kProgressWindow),
                       toolkit.WindowClientHeight(kProgressWindow), /*keyboard=*/true);
  BuildProgressStrip(state);

  toolkit.StartTimer(kPlaybackWindow, kCueTimer, kTimerIntervalMs);
  toolkit.StartTimer(kPlaybackWindow, kProgressTimer, kTimerIntervalMs);
  toolkit.BindTimers(kPlaybackWindow, [&state](const Event& event) { OnTimer(state, event.timer); });
  toolkit.BindWidget(kInputCanvas, [&state](const Event& event) { OnInputEvent(state, event); });
  toolkit.BindClose(kPlaybackWindow, [end](const Event&) { end(); });
  // Space must work from the first moment, without a click on the picture first.
  toolkit.GiveFocus(kInputCanvas);
}

}  // namespace vokabino
