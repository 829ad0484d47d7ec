#include "subtitles/cue_list.h"

#include <iterator>

namespace vokabino {

Cue& AddCue(CueList& list) {
  const std::size_t at = list.cursor == CueList::npos ? 0 : list.cursor + 1;
  list.cues.insert(list.cues.begin() + static_cast<std::ptrdiff_t>(at), Cue{});
  list.cursor = at;
  return list.cues[at];
}

void RewindCues(CueList& list) { list.cursor = CueList::npos; }

bool NextCue(CueList& list) {
  const std::size_t next = list.cursor == CueList::npos ? 0 : list.cursor + 1;
  if (next >= list.cues.size()) return false;
  list.cursor = next;
  return true;
}

Cue* CurrentCue(CueList& list) {
  return list.cursor < list.cues.size() ? &list.cues[list.cursor] : nullptr;
}

const Cue* CurrentCue(const CueList& list) {
  return list.cursor < list.cues.size() ? &list.cues[list.cursor] : nullptr;
}

}  // namespace vokabino
