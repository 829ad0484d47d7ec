#pragma once
// What the service does with one query, apart from HTTP: check it, then answer
// from the cache, the upstream server (when configured) or Apertium.
//
// Threading: AnswerTranslationQuery may run on many threads at once; the cache
// and the Apertium engine hold their own locks, the rest is read-only while the
// service runs.
#include <optional>
#include <string>
#include <string_view>

#include "server/apertium_translator.h"
#include "server/translation_cache.h"
#include "server/upstream.h"

namespace vokabino {

struct TranslationService {
  ApertiumEngine apertium;
  TranslationCache cache;
  std::optional<UpstreamConfig> upstream;
};

struct ServiceReply {
  int status = 200;
  std::string body;    // the whole reply body
  std::string engine;  // "cache", "upstream", "apertium", "none" (blank line) or empty on error
  std::string note;    // one line for the log: the reason of a refusal, or what failed
                       // on the way to an answer; empty when nothing did
  std::size_t textBytes = 0;  // length of the decoded line, when there was one
};

// Answers the raw query (what follows "?" in the request target). Refusals come
// from CheckTranslationQuery, with the reason as the body's one line. A line of
// white space gets an empty translation. When every engine fails the status is
// 503. Only non-empty translations are cached.
ServiceReply AnswerTranslationQuery(TranslationService& service, std::string_view rawQuery);

}  // namespace vokabino
