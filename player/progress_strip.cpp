#include "player/progress_strip.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/window_numbers.h"
#include "subtitles/cue_scheduler.h"

namespace vokabino {
namespace {

// The length of a video is counted in frames; the system takes every video
// to run at this many frames a second.
constexpr double kFramesPerSecond = 23.98;

// Geometry of the strip inside its canvas, in canvas pixels.
constexpr int kMargin = 5;       // left margin of the bar, and its top
constexpr int kBarHeight = 10;
constexpr int kKnobLead = 4;     // the knob starts this far left of the filled value
constexpr int kKnobWidth = 8;
constexpr int kClickBand = 10;   // rows below the canvas top that take clicks
constexpr int kSeekSettleMs = 100;

constexpr Rgb kBackground{0, 0, 0};
constexpr Rgb kBarColour{176, 196, 222};
constexpr Rgb kPlayedColour{255, 0, 0};
constexpr Rgb kKnobColour{0, 139, 139};

// The bar spans the canvas less a margin on each side; never negative.
int BarLength(int canvasWidth) { return std::max(0, canvasWidth - 2 * kMargin); }

// A scale of 0 stands for a video of unknown length.
bool ScaleKnown(double pixelsPerSecond) {
  return std::isfinite(pixelsPerSecond) && pixelsPerSecond > 0;
}

double VideoSeconds(ProgramState& state) {
  return state.player->FrameCount(state.video) / kFramesPerSecond;
}

// Where the video stands for drawing, in ticks: the playing position, the
// paused position while paused (the status reads -1 then), 0 when stopped.
MediaTime DrawnPosition(ProgramState& state) {
  const MediaTime status = state.player->PlaybackStatus(state.video);
  if (status < 0) return state.player->Position(state.video);
  return status;
}

// Width of the played part in pixels, rounded to nearest (halves to even),
// kept within the bar: a position past the frame count's length fills the
// bar, and the conversion to int never overflows.
int FilledWidth(double pixelsPerSecond, MediaTime position, int barLength) {
  if (!ScaleKnown(pixelsPerSecond) || position <= 0) return 0;
  const double seconds = static_cast<double>(position) / static_cast<double>(kTicksPerSecond);
  const double filled = std::nearbyint(pixelsPerSecond * seconds);
  return static_cast<int>(std::clamp(filled, 0.0, static_cast<double>(barLength)));
}

bool InClickBand(int x, int y, int canvasWidth, int canvasTop) {
  return x >= kMargin && x <= canvasWidth - kMargin && y >= canvasTop &&
         y <= canvasTop + kClickBand;
}

// Pauses, seeks to the moment drawn at x, lets the picture settle, plays on
// and puts the cue cursor in line with where the video now is. Blocks the GUI
// thread for the settling wait.
void SeekToStripPosition(ProgramState& state, int x, int y) {
  UiToolkit& toolkit = *state.toolkit;
  if (!InClickBand(x, y, toolkit.WidgetWidth(kProgressCanvas), toolkit.WidgetTop(kProgressCanvas)))
    return;
  const double length = VideoSeconds(state);
  if (!ScaleKnown(state.pixelsPerSecond) || !(length > 0)) return;

  const double seconds = std::clamp((x - kMargin) / state.pixelsPerSecond, 0.0, length);
  const auto target = static_cast<MediaTime>(
      std::nearbyint(seconds * static_cast<double>(kTicksPerSecond)));

  MoviePlayer& player = *state.player;
  player.PausePlayback(state.video);
  player.SeekTo(state.video, target);
  toolkit.Wait(kSeekSettleMs);
  player.ResumePlayback(state.video);
  ResyncCues(state, static_cast<double>(player.PlaybackStatus(state.video)));
}

}  // namespace

void BuildProgressStrip(ProgramState& state) {
  const double frames = state.player->FrameCount(state.video);
  const double barLength = state.toolkit->WidgetWidth(kProgressCanvas) - 2.0 * kMargin;
  // Fixed for the rest of the run, also when the window is resized later.
  state.pixelsPerSecond = frames > 0 ? barLength / (frames / kFramesPerSecond) : 0.0;
  if (!ScaleKnown(state.pixelsPerSecond)) state.pixelsPerSecond = 0.0;

  RedrawProgressStrip(state);
  ProgramState* shared = &state;
  state.toolkit->BindWidget(kProgressCanvas,
                            [shared](const Event& event) { OnProgressEvent(*shared, event); });
}

void RedrawProgressStrip(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  const int width = toolkit.WidgetWidth(kProgressCanvas);
  const int height = toolkit.WidgetHeight(kProgressCanvas);
  const int barLength = BarLength(width);
  const int filled = FilledWidth(state.pixelsPerSecond, DrawnPosition(state), barLength);

  if (!toolkit.BeginDrawing(kProgressCanvas)) return;
  toolkit.FillBox(0, 0, width, height, kBackground);
  toolkit.FillBox(kMargin, kMargin, barLength, kBarHeight, kBarColour);
  if (filled > 0) toolkit.FillBox(kMargin, kMargin, filled, kBarHeight, kPlayedColour);
  toolkit.FillBox(filled - kKnobLead, kMargin, kKnobWidth, kBarHeight, kKnobColour);
  toolkit.EndDrawing();
}

void OnProgressEvent(ProgramState& state, const Event& event) {
  if (event.kind != EventKind::LeftClick) return;
  SeekToStripPosition(state, event.x, event.y);
  // Whether or not the click seeked, the keys belong to the picture again.
  state.toolkit->GiveFocus(kInputCanvas);
}

}  // namespace vokabino
