#pragma once
// Paints the whole overlay canvas (widget 3) from the shared state: the
// English line alone, centred, while playing (display mode 1); the English and
// French lines, each with its flag (images 0 and 1, 30 by 30, 40 px left of
// the line), while paused (mode 2). Any other mode paints nothing but the key
// colour, as does every pixel that is not text or flag.
//
// Sizes come from the canvas's current width and height; text uses
// state.overlayFontSlot and state.overlayTextColour. Needs state.toolkit set;
// GUI thread only, never inside another drawing. Does nothing when the canvas
// does not exist yet. Reports nothing.
#include "app/program_state.h"

namespace vokabino {

void DrawOverlay(ProgramState& state);

}  // namespace vokabino
