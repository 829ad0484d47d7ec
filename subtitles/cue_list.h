#pragma once
// The subtitles of the one video played in a run, in file order, with a cursor.
// Filled once by LoadSubtitles, then only walked by the cue scheduler. Used on
// the GUI thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/text.h"

namespace vokabino {

// One subtitle. A new Cue has index 0, start 0, end 0 and the empty text.
struct Cue {
  std::int32_t index = 0;  // the number on its number line (low 32 bits)
  double start = 0;        // MediaTime ticks (100 ns), always a whole number
  double end = 0;          // MediaTime ticks
  Text text;               // its text lines joined with single spaces
};

// Owns its Cues. The cursor stands on one Cue (the current Cue) or before the
// first one (no current Cue); a new CueList is empty with no current Cue.
struct CueList {
  std::vector<Cue> cues;
  // Position of the current Cue in cues; npos stands before the first Cue.
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  std::size_t cursor = npos;
};

// Inserts a new Cue right after the current one (at the front when there is
// none) and makes it current. The reference stays valid until the next AddCue.
Cue& AddCue(CueList& list);
// Puts the cursor before the first Cue: no current Cue.
void RewindCues(CueList& list);
// With no current Cue the first Cue becomes current; otherwise its successor.
// Returns whether the cursor moved onto a Cue: false (and no move) on the last
// Cue and on an empty list.
bool NextCue(CueList& list);
// The current Cue, or null. Valid until the next AddCue.
Cue* CurrentCue(CueList& list);
const Cue* CurrentCue(const CueList& list);

}  // namespace vokabino
