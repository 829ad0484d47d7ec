#include "app/main_loop.h"

#include "app/ending.h"

namespace vokabino {

void RunMainLoopPass(ProgramState& state) {
  state.toolkit->Wait(kLoopWaitMs);
  ++state.idleCount;
  state.toolkit->ProcessOneEvent();
  if (state.idleCount > kIdlePasses) {
    state.idleCount = 0;
    state.idleFlag = true;
  }
}

void RunMainLoop(ProgramState& state) {
  for (;;) {
    if (state.toolkit->EndRequested()) EndProgram(state);
    RunMainLoopPass(state);
  }
}

}  // namespace vokabino
