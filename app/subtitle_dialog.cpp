#include "app/subtitle_dialog.h"

#include "app/ending.h"
#include "app/window_numbers.h"
#include "player/playback_window.h"
#include "subtitles/subtitle_loader.h"

namespace vokabino {

namespace {

// Buttons report clicks; every other event of them is ignored.
EventHandler OnClick(ProgramState& state, void (*action)(ProgramState&)) {
  return [&state, action](const Event& event) {
    if (event.kind == EventKind::ButtonClick) action(state);
  };
}

void End(ProgramState& state) { EndProgram(state); }

}  // namespace

void OpenSubtitleDialog(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  // 10-pixel margins, 30-pixel rows: 10 + 380 + 10 + 30 + 10 = 440 wide.
  toolkit.OpenWindow(kSubtitleDialog, 0, 0, 440, 120, "S\xE9lection des sous-titres",
                     kTitleBar | kCentred, kNoOwner);
  toolkit.CreateLabel(kDialogLabel, 10, 10, 380, 30, "Sous-titre Anglais");
  toolkit.CreateTextField(kDialogPathField, 10, 40, 380, 30, "");
  toolkit.CreateButton(kDialogBrowseButton, 400, 40, 30, 30, "...");
  toolkit.CreateButton(kDialogConfirmButton, 10, 80, 140, 30, "Valider");
  toolkit.CreateButton(kDialogCancelButton, 160, 80, 140, 30, "Annuler");
  toolkit.BindClose(kSubtitleDialog, [&state](const Event&) { EndProgram(state); });
  toolkit.BindWidget(kDialogCancelButton, OnClick(state, End));
  toolkit.BindWidget(kDialogConfirmButton, OnClick(state, ConfirmSubtitles));
  toolkit.BindWidget(kDialogBrowseButton, OnClick(state, BrowseForSubtitles));
}

void BrowseForSubtitles(ProgramState& state) {
  // The requester always starts empty, whatever the field holds.
  const Text path = state.toolkit->OpenFileRequester("Veuillez choisir le sous-titre en Anglais",
                                                     "", "Sous-titre|*.srt", 0);
  if (!path.empty()) state.toolkit->SetWidgetText(kDialogPathField, path);
}

void ConfirmSubtitles(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  const Text path = toolkit.WidgetText(kDialogPathField);
  if (path.empty()) {
    toolkit.MessageBox("Sous-titre", "Vous n'avez choisi aucun sous-titre...");
    return;
  }
  LoadSubtitles(state.cues, path, "EN");
  BuildPlayer(state, [&state] { EndProgram(state); });
  toolkit.CloseWindow(kSubtitleDialog);
}

}  // namespace vokabino
