// vokabino: plays a video with its English subtitle line over the picture;
// space pauses and shows the French translation under it.
#include <cstdio>

#include "app/ending.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "app/subtitle_dialog.h"
#include "platform/mpv_player.h"
#include "platform/qt_toolkit.h"

int main() {
  using namespace vokabino;
  QtToolkit toolkit;
  MpvPlayer player;
  ProgramState state;
  state.toolkit = &toolkit;
  state.player = &player;
  if (!toolkit.Initialise()) {
    std::fputs("vokabino: cannot open the X display (is DISPLAY set?)\n", stderr);
    EndProgram(state);
  }
  if (!StartUp(state)) EndProgram(state);
  OpenSubtitleDialog(state);
  RunMainLoop(state);
}
