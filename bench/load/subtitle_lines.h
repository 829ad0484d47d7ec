#pragma once
// English lines of subtitle length (about 15 to 110 bytes, Windows-1252) made
// from word lists, for loading the translation service with traffic that looks
// like a film's: mostly distinct lines, some said twice.
//
// Pure: the same count and seed give the same lines.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/text.h"

namespace vokabino {

// count lines. About one in ten (never among the first ten) repeats an earlier
// line of the list; the others are distinct from each other. Some carry what the
// player leaves unescaped in its query ("&", "#", "+", "=", "?") or sends escaped
// ("%", accented letters, curly quotes).
std::vector<Text> MakeSubtitleLines(std::size_t count, std::uint32_t seed);

}  // namespace vokabino
