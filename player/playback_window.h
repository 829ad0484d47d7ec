#pragma once
// Builds the player once the subtitles are loaded: the maximised playback
// window with the video, the input canvas over it, the colour-keyed overlay
// and progress windows, the two timers and every binding of the playing phase.
#include "app/program_state.h"

namespace vokabino {

// Timer events of the playback window: timer 0 redraws the progress strip,
// timer 1 runs the cue tick, any other number does nothing.
void OnTimer(ProgramState& state, int timer);

// end is the program's ending, bound to the playback window's close box.
void BuildPlayer(ProgramState& state, const std::function<void()>& end);

}  // namespace vokabino
