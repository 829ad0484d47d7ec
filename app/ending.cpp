#include "app/ending.h"

#include <cstdio>
#include <cstdlib>

namespace vokabino {

void EndProgram(ProgramState& state) {
  if (state.player) state.player->ReleaseAll();
  if (state.toolkit) state.toolkit->ReleaseAll();
  state.cues = CueList{};
  std::fflush(nullptr);
  if (state.exitProcess) state.exitProcess(0);
  std::exit(0);
}

}  // namespace vokabino
