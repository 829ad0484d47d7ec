#include "app/startup.h"

#include "assets/flags.h"

namespace vokabino {

void InitialiseState(ProgramState& state) {
  state.displayMode = 1;
  state.overlayFontSlot = kOverlayFontSlot;
  state.overlayTextColour = Rgb{255, 255, 255};
  state.cues = CueList{};
}

void LoadFonts(UiToolkit& toolkit) {
  for (int slot = 0; slot < kFontSlots; ++slot)
    toolkit.LoadFont(slot, "Arial", 12 + 2 * slot, /*bold=*/true, /*highQuality=*/true);
}

void LoadFlagImages(UiToolkit& toolkit) {
  const auto us = UsFlagPng();
  const auto fr = FrenchFlagPng();
  toolkit.DecodeImage(kUsFlagImage, us.data(), us.size());
  toolkit.DecodeImage(kFrenchFlagImage, fr.data(), fr.size());
}

bool ChooseAndOpenVideo(ProgramState& state) {
  UiToolkit& toolkit = *state.toolkit;
  MoviePlayer& player = *state.player;
  if (!player.InitPlayer()) {
    toolkit.MessageBox("Error", "Can't initialize movie playback !");
    return false;
  }
  const Text path = toolkit.OpenFileRequester("Veuillez choisir le fichier vid\xE9o \xE0 ouvrir", "",
                                              "Avi|*.avi;*.mpg;*.mp4|All Files|*.*", 0);
  if (path.empty()) return false;
  state.video = player.OpenVideo(path);
  if (state.video == 0) {
    toolkit.MessageBox("Error", "Can't load this movie's file");
    return false;
  }
  // Checked only once the video is open; the video stays open until the end.
  if (!toolkit.DisplayUsable()) {
    toolkit.MessageBox("Error", "Can't initialize directX !");
    return false;
  }
  return true;
}

bool StartUp(ProgramState& state) {
  InitialiseState(state);
  state.translation = ReadTranslationConfig();
  LoadFonts(*state.toolkit);
  LoadFlagImages(*state.toolkit);
  return ChooseAndOpenVideo(state);
}

}  // namespace vokabino
