#include "subtitles/cue_scheduler.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "subtitles/overlay_renderer.h"

namespace vokabino {

namespace {

// Cue times are whole tick counts held in a double. A malformed timing line
// can give values far outside the 64-bit range; those saturate (a start
// beyond the range is never reached) instead of converting with undefined
// behaviour.
MediaTime WholeTicks(double ticks) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  const double rounded = std::nearbyint(ticks);  // halves to even
  if (!(rounded < kTwoTo63)) return std::numeric_limits<MediaTime>::max();  // also NaN
  if (rounded < -kTwoTo63) return std::numeric_limits<MediaTime>::min();
  return static_cast<MediaTime>(rounded);
}

}  // namespace

void CueTick(ProgramState& state) {
  // An empty list (or a cursor before the first Cue) has nothing to show.
  if (!CurrentCue(state.cues)) return;

  // Two separate readings: the video plays on while the overlay is redrawn.
  const MediaTime shownAt = state.player->PlaybackStatus(state.video);
  if (shownAt >= WholeTicks(CurrentCue(state.cues)->start) && !state.cueShown) {
    state.currentLine = CurrentCue(state.cues)->text;
    state.cueShown = true;
    DrawOverlay(state);
  }

  const MediaTime passedAt = state.player->PlaybackStatus(state.video);
  if (passedAt >= WholeTicks(CurrentCue(state.cues)->end)) {
    // On the last Cue NextCue stays put; with CueShown off that Cue is shown
    // (and the overlay redrawn) again at every later tick.
    NextCue(state.cues);
    state.cueShown = false;
  }
}

void ResyncCues(ProgramState& state, double position) {
  state.cueShown = false;
  RewindCues(state.cues);
  while (NextCue(state.cues)) {
    if (!(position > CurrentCue(state.cues)->start)) break;
  }
}

}  // namespace vokabino
