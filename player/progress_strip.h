#pragma once
// The thin progress strip at the bottom of the picture: how far the video
// has played, and click-to-seek. Units: canvas pixels of the progress canvas;
// positions in MediaTime ticks. Runs on the GUI thread; state and its
// toolkit and player must outlive the binding made by BuildProgressStrip.
//
// The strip maps time to x as x = 5 + pixelsPerSecond * seconds, where
// pixelsPerSecond = (canvas width - 10) / (frame count / 23.98): the bar runs
// from x = 5 to the canvas width - 5 and the played part from x = 5.
#include "app/program_state.h"

namespace vokabino {

// Fixes state.pixelsPerSecond from the progress canvas's width and the video's
// frame count (0 when the frame count is unknown or not positive: the strip
// then stays empty and clicks do nothing), draws the strip once and binds
// every event of the progress canvas to OnProgressEvent.
void BuildProgressStrip(ProgramState& state);

// Paints the whole strip: black background, the bar, the played part and the
// knob. The played part follows the playing position, stays at the paused
// position while paused, is empty while stopped, and never runs past the bar.
void RedrawProgressStrip(ProgramState& state);

// Every event of the progress canvas; acts on left clicks only. A click on
// the bar's band (5 <= x <= width - 5, top <= y <= top + 10, top being the
// canvas's top in its window) pauses, seeks to the moment the strip draws at
// x (clamped to the video's length), waits 100 ms (blocking), resumes and
// resynchronises the cues. Every left click, inside the band or not, gives
// the keyboard focus back to the input canvas. Nothing is reported.
void OnProgressEvent(ProgramState& state, const Event& event);

}  // namespace vokabino
