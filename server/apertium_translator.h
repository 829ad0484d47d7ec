#pragma once
// English to French through Apertium: an English-to-Spanish pipeline feeding a
// Spanish-to-French one, both kept warm (see apertium_pipeline.h). A pipeline
// that dies is restarted and the line tried once more; one that does not answer
// within lineTimeout is restarted and the line given up.
//
// Threading: an ApertiumEngine may be used from any number of threads. Each of
// its translators carries one line at a time; a caller waits for a free one.
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <vector>

#include "server/apertium_mode.h"
#include "server/apertium_pipeline.h"
#include "text/text.h"

namespace vokabino {

// One pair of pipelines and the lock that gives it to one line at a time.
struct ApertiumTranslator {
  std::mutex busy;
  ApertiumPipeline toSpanish;
  ApertiumPipeline toFrench;
};

struct ApertiumEngine {
  std::vector<std::unique_ptr<ApertiumTranslator>> translators;
  std::unique_ptr<std::counting_semaphore<>> free;  // counts translators not in use
  std::chrono::milliseconds lineTimeout{5'000};  // per pipeline and attempt; the longest
                                                 // query's line takes under 0.1 s
};

// The commands of both directions, read from the installed mode files.
struct ApertiumModes {
  std::vector<StageCommand> toSpanish;
  std::vector<StageCommand> toFrench;
  std::string error;  // one line; empty when both were read
};
// Reads "eng-spa" (or "en-es") and "es-fr" (or "spa-fra") from directory.
ApertiumModes LoadApertiumModes(std::string_view directory = kApertiumModeDirectory);

// Starts count translators (count >= 1) and sends each a first line so the
// dictionaries are paged in before the first request. Returns an empty string on
// success, else one line; nothing is left running then.
std::string StartApertiumEngine(ApertiumEngine& engine, const ApertiumModes& modes,
                                std::size_t count);
// Stops every pipeline. Callers must have finished.
void StopApertiumEngine(ApertiumEngine& engine);

struct ApertiumOutcome {
  std::optional<Text> french;  // Windows-1252; nullopt when Apertium failed
  int restarts = 0;            // pipelines restarted for this line
  std::string problem;         // what went wrong, for the log; empty if nothing did
};

// Translates one Windows-1252 line. Control characters count as spaces; a line of
// white space gives the empty text without reaching Apertium. Characters of the
// French that Windows-1252 lacks become "?". Blocks while every translator is busy.
ApertiumOutcome TranslateWithApertium(ApertiumEngine& engine, const Text& line);

}  // namespace vokabino
