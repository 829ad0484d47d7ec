#pragma once
// The program-wide state: everything the handlers share, created at start-up
// and living until the program ends. All of it belongs to the one GUI thread.
#include <cstdint>
#include <functional>

#include "platform/movie_player.h"
#include "platform/ui_toolkit.h"
#include "subtitles/cue_list.h"
#include "text/text.h"
#include "translation/translation_config.h"

namespace vokabino {

struct ProgramState {
  // The platform, owned by main (or by a test).
  UiToolkit* toolkit = nullptr;
  MoviePlayer* player = nullptr;

  VideoHandle video = 0;  // the file chosen at start-up
  std::int32_t displayMode = 0;  // 1 playing (English alone), 2 paused (with French)
  std::int32_t overlayFontSlot = 0;
  Rgb overlayTextColour{};
  CueList cues;
  bool cueShown = false;
  Text currentLine;     // the English line of the moment; never cleared
  Text translatedLine;  // the French translation of currentLine

  // The translation service, read from the environment at start-up.
  TranslationConfig translation;

  // Progress strip drawing scale, fixed when the strip is built; 0 before.
  double pixelsPerSecond = 0;
  // The pointer's y over the input canvas at the last mouse move, in its pixels.
  std::int32_t pointerY = 0;

  // Activity marks of the main loop; mouse movement resets them.
  std::int64_t idleCount = 0;
  bool idleFlag = false;

  // How the process finally exits; tests replace it to stop an ending unwinding.
  std::function<void(int status)> exitProcess;
};

}  // namespace vokabino
