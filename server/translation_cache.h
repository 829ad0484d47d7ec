#pragma once
// The most recently used translations, so that pausing twice on the same line
// (or two viewers of one film) costs one translation. Bounded by entry count;
// the least recently used entry goes first.
//
// Threading: every function takes the cache's own lock; any thread may call.
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "text/text.h"

namespace vokabino {

struct TranslationCache {
  std::size_t capacity = 2048;  // entries (a whole film's lines); 0 keeps nothing
  std::mutex lock;
  // Most recent first: (English line, French line), both Windows-1252.
  std::list<std::pair<Text, Text>> recent;
  std::unordered_map<Text, std::list<std::pair<Text, Text>>::iterator> index;
};

// The French remembered for line, which becomes the most recent entry; nullopt
// when there is none.
std::optional<Text> LookUpTranslation(TranslationCache& cache, const Text& line);

// Remembers (or refreshes) line's French as the most recent entry, dropping the
// least recent ones beyond capacity.
void RememberTranslation(TranslationCache& cache, const Text& line, const Text& french);

// Number of entries held.
std::size_t CachedTranslationCount(TranslationCache& cache);

}  // namespace vokabino
