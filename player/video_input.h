#pragma once
// Input over the picture: pointer movement shows or hides the progress strip;
// space pauses with the translation shown, or resumes. Runs on the GUI
// thread; the pause path blocks it for the whole translation exchange.
#include "app/program_state.h"

namespace vokabino {

// Every event of the input canvas.
// - MouseMove: remembers the pointer's y, clears the idle marks, asks the
//   system to show the cursor, then shows the progress window when the
//   pointer's y (canvas pixels) is at or below that window's top edge
//   (screen pixels) and hides it otherwise, on every move.
// - KeyDown of space (auto-repeats included): while playing, pauses, sets
//   display mode 2, stores the translation of the current line (empty when
//   the request fails) and redraws the overlay; while paused, resumes, sets
//   display mode 1 and redraws; while stopped does nothing.
// Every other event (entering, clicks, other keys, key releases) does nothing.
void OnInputEvent(ProgramState& state, const Event& event);

}  // namespace vokabino
