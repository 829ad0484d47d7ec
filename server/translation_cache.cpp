#include "server/translation_cache.h"

namespace vokabino {

std::optional<Text> LookUpTranslation(TranslationCache& cache, const Text& line) {
  std::lock_guard<std::mutex> guard(cache.lock);
  const auto found = cache.index.find(line);
  if (found == cache.index.end()) return std::nullopt;
  cache.recent.splice(cache.recent.begin(), cache.recent, found->second);
  return found->second->second;
}

void RememberTranslation(TranslationCache& cache, const Text& line, const Text& french) {
  std::lock_guard<std::mutex> guard(cache.lock);
  if (cache.capacity == 0) return;
  if (const auto found = cache.index.find(line); found != cache.index.end()) {
    found->second->second = french;
    cache.recent.splice(cache.recent.begin(), cache.recent, found->second);
    return;
  }
  cache.recent.emplace_front(line, french);
  cache.index.emplace(line, cache.recent.begin());
  while (cache.recent.size() > cache.capacity) {
    cache.index.erase(cache.recent.back().first);
    cache.recent.pop_back();
  }
}

std::size_t CachedTranslationCount(TranslationCache& cache) {
  std::lock_guard<std::mutex> guard(cache.lock);
  return cache.recent.size();
}

}  // namespace vokabino
