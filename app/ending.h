#pragma once
#include "app/program_state.h"

namespace vokabino {

// The one way out: stops and releases every video, closes every window with
// its widgets, frees fonts and images, then exits with status 0. Allowed from
// inside a handler; never returns to it.
[[noreturn]] void EndProgram(ProgramState& state);

}  // namespace vokabino
