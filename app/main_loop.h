#pragma once
#include "app/program_state.h"

namespace vokabino {

// Milliseconds each pass of the main loop waits before its event step.
inline constexpr int kLoopWaitMs = 5;
// Passes without mouse movement after which the idle flag is turned on.
inline constexpr std::int64_t kIdlePasses = 500;

// One pass: wait, count, handle at most one event, update the idle marks.
void RunMainLoopPass(ProgramState& state);
// Runs passes until a handler ends the program (or the system asks it to end,
// which ends it the same way). Never returns.
[[noreturn]] void RunMainLoop(ProgramState& state);

}  // namespace vokabino
