#pragma once
// Start-up: state, fonts, flag images, the video, the display check.
#include "app/program_state.h"

namespace vokabino {

inline constexpr int kFontSlots = 11;  // slot n: "Arial" bold, 12 + 2n points
inline constexpr int kOverlayFontSlot = 6;
inline constexpr int kUsFlagImage = 0;
inline constexpr int kFrenchFlagImage = 1;

// Display mode 1, overlay font slot 6, white text, an empty cue list.
void InitialiseState(ProgramState& state);
// Failures are ignored: a missing font or image does not stop start-up.
void LoadFonts(UiToolkit& toolkit);
void LoadFlagImages(UiToolkit& toolkit);
// Initialises the player, asks for the video, opens it and checks the
// display, telling the user in a message box what failed (nothing when the
// requester was cancelled). False means the program must end.
bool ChooseAndOpenVideo(ProgramState& state);
// All of start-up, in order. False means the program must end.
bool StartUp(ProgramState& state);

}  // namespace vokabino
