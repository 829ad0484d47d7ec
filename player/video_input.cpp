#include "player/video_input.h"

#include "app/window_numbers.h"
#include "subtitles/overlay_renderer.h"
#include "translation/translate_line.h"

namespace vokabino {
namespace {

constexpr MediaTime kPausedStatus = -1;

// The pointer's y is in input-canvas pixels and the window's top edge in
// screen pixels; compared as they are, this shows the strip exactly while the
// pointer is on the rows the strip covers at the bottom of the picture.
void ApplyStripRule(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  if (state.pointerY < toolkit.WindowTop(kProgressWindow))
    toolkit.HideWindow(kProgressWindow);
  else
    toolkit.ShowWindow(kProgressWindow);
}

void OnMouseMove(ProgramState& state, const Event& event) {
  state.pointerY = event.y;
  state.idleFlag = false;
  state.idleCount = 0;
  // Nothing ever hides the cursor; every movement asks for it again.
  state.toolkit->ShowCursor();
  ApplyStripRule(state);
}

// The translation request runs here, synchronously: no event is handled and
// nothing repaints until the service has answered or timed out.
void PauseWithTranslation(ProgramState& state) {
  state.player->PausePlayback(state.video);
  state.displayMode = 2;
  state.translatedLine = TranslateLine(state.currentLine, state.translation);
  DrawOverlay(state);
}

void ResumeEnglishOnly(ProgramState& state) {
  state.player->ResumePlayback(state.video);
  state.displayMode = 1;
  // translatedLine keeps its text; display mode 1 does not show it.
  DrawOverlay(state);
}

void OnSpace(ProgramState& state) {
  const MediaTime status = state.player->PlaybackStatus(state.video);
  if (status > 0)
    PauseWithTranslation(state);
  else if (status == kPausedStatus)
    ResumeEnglishOnly(state);
  // Stopped, or the state could not be told: nothing, and no redraw.
}

}  // namespace

void OnInputEvent(ProgramState& state, const Event& event) {
  switch (event.kind) {
    case EventKind::MouseMove:
      OnMouseMove(state, event);
      break;
    case EventKind::KeyDown:
      if (event.keyCode == kSpaceKey) OnSpace(state);
      break;
    default:
      // Entering (the first movement after it), clicks, key releases and the rest.
      break;
  }
}

}  // namespace vokabino
