#pragma once
// The dialog that asks for the English subtitle file once the video is open.
// Confirming loads the file, builds the player and closes the dialog;
// "Annuler" and the close box end the program.
#include "app/program_state.h"

namespace vokabino {

void OpenSubtitleDialog(ProgramState& state);
// The browse button: a requester for a .srt file; a chosen path replaces the
// path field's text, a cancelled one leaves it as it was.
void BrowseForSubtitles(ProgramState& state);
// The confirm button: an empty path field is refused with a message; any
// other text is loaded as it stands (nothing about it is checked first).
void ConfirmSubtitles(ProgramState& state);

}  // namespace vokabino
