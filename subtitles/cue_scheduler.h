#pragma once
// Keeps the English line in step with the video, ten times a second.
// Runs on the GUI thread inside timer events; positions are MediaTime ticks.
// Both functions need state.player (and CueTick state.toolkit, for the
// redraw) set; they report nothing and never fail.
#include "app/program_state.h"

namespace vokabino {

// One tick of the cue timer. Reads PlaybackStatus twice: when the first
// reading has reached the current cue's start and the cue is not shown yet,
// its text becomes currentLine, cueShown goes on and the overlay is redrawn;
// when the second reading has reached the same cue's end, the cursor moves on
// and cueShown goes off (on the last cue the cursor stays, so that cue is
// shown and redrawn again every tick). Cue times are rounded to whole ticks;
// times beyond the 64-bit range saturate. A paused reading (-1) reaches no
// time of 0 or more, so pausing changes nothing.
// With no current cue (an empty list) it does nothing.
void CueTick(ProgramState& state);
// After a seek: turns cueShown off and puts the cursor on the first cue whose
// start is at or after position (the last cue when all start before it; no
// cue with an empty list). Redraws nothing and leaves currentLine alone.
void ResyncCues(ProgramState& state, double position);

}  // namespace vokabino
