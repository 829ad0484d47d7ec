#include "server/apertium_translator.h"

#include "server/apertium_stream.h"
#include "text/codepage.h"

namespace vokabino {
namespace {

// The blank after the line lets the last word and its full stop out of the
// analyser; without it lt-proc keeps the final "." waiting for more input.
std::string FramedForApertium(std::string_view utf8) { return EscapeForApertium(utf8) + " "; }

// Runs one line through pipeline. A pipeline that died is restarted and the line
// tried once more; one that timed out is restarted (its stream is out of step)
// but the line is not tried again, since the line itself is the likely cause and
// a second try would only double the wait.
std::optional<std::string> RunWithOneRetry(ApertiumPipeline& pipeline, const std::string& input,
                                           std::chrono::milliseconds timeout,
                                           ApertiumOutcome& outcome) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    LineResult result = RunPipelineLine(pipeline, input, timeout);
    if (result.outcome == LineOutcome::Done) return std::move(result.output);
    const bool timedOut = result.outcome == LineOutcome::TimedOut;
    outcome.problem += (outcome.problem.empty() ? "" : "; ") + pipeline.label +
                       (timedOut ? " timed out" : " died");
    const std::string error = StartPipeline(pipeline);
    ++outcome.restarts;
    if (!error.empty()) {
      outcome.problem += "; restart failed: " + error;
      return std::nullopt;
    }
    if (timedOut) return std::nullopt;
  }
  return std::nullopt;
}

std::string StartTranslator(ApertiumTranslator& translator, const ApertiumModes& modes) {
  translator.toSpanish.stages = modes.toSpanish;
  translator.toSpanish.label = "eng-spa";
  translator.toFrench.stages = modes.toFrench;
  translator.toFrench.label = "es-fr";
  std::string error = StartPipeline(translator.toSpanish);
  if (error.empty()) error = StartPipeline(translator.toFrench);
  return error;
}

// Both pipelines of one translator, for a line already cleaned. The caller holds
// translator.busy.
void TranslateOn(ApertiumTranslator& translator, const Text& clean,
                 std::chrono::milliseconds timeout, ApertiumOutcome& outcome) {
  const std::optional<std::string> spanish = RunWithOneRetry(
      translator.toSpanish, FramedForApertium(Cp1252ToUtf8(clean)), timeout, outcome);
  if (!spanish) return;
  const std::optional<std::string> french = RunWithOneRetry(
      translator.toFrench, FramedForApertium(UnescapeApertiumOutput(*spanish)), timeout, outcome);
  if (french) outcome.french = Utf8ToCp1252(TidyTranslation(UnescapeApertiumOutput(*french)));
}

}  // namespace

ApertiumModes LoadApertiumModes(std::string_view directory) {
  ApertiumModes modes;
  ModeParse toSpanish = LoadModePipeline(directory, {"eng-spa", "en-es"});
  ModeParse toFrench = LoadModePipeline(directory, {"es-fr", "spa-fra"});
  modes.error = !toSpanish.error.empty() ? toSpanish.error : toFrench.error;
  modes.toSpanish = std::move(toSpanish.stages);
  modes.toFrench = std::move(toFrench.stages);
  return modes;
}

std::string StartApertiumEngine(ApertiumEngine& engine, const ApertiumModes& modes,
                                std::size_t count) {
  StopApertiumEngine(engine);
  if (!modes.error.empty()) return modes.error;
  for (std::size_t i = 0; i < count; ++i) {
    auto translator = std::make_unique<ApertiumTranslator>();
    if (std::string error = StartTranslator(*translator, modes); !error.empty()) {
      StopApertiumEngine(engine);
      return error;
    }
    engine.translators.push_back(std::move(translator));
  }
  for (auto& translator : engine.translators) {
    ApertiumOutcome warm;
    TranslateOn(*translator, "Hello, how are you?", engine.lineTimeout, warm);
    if (!warm.french) {
      const std::string problem = "Apertium does not answer: " + warm.problem;
      StopApertiumEngine(engine);
      return problem;
    }
  }
  engine.free = std::make_unique<std::counting_semaphore<>>(static_cast<std::ptrdiff_t>(count));
  return {};
}

void StopApertiumEngine(ApertiumEngine& engine) {
  engine.translators.clear();  // each pipeline stops itself
  engine.free.reset();
}

ApertiumOutcome TranslateWithApertium(ApertiumEngine& engine, const Text& line) {
  ApertiumOutcome outcome;
  const Text clean = CleanLineForTranslation(line);
  if (clean.find_first_not_of(' ') == Text::npos) {
    outcome.french = Text();
    return outcome;
  }
  if (!engine.free || engine.translators.empty()) {
    outcome.problem = "Apertium is not running";
    return outcome;
  }
  engine.free->acquire();
  // The semaphore guarantees one translator is free; find it.
  std::unique_lock<std::mutex> hold;
  ApertiumTranslator* translator = nullptr;
  while (translator == nullptr) {
    for (auto& candidate : engine.translators) {
      std::unique_lock<std::mutex> attempt(candidate->busy, std::try_to_lock);
      if (attempt.owns_lock()) {
        hold = std::move(attempt);
        translator = candidate.get();
        break;
      }
    }
  }
  TranslateOn(*translator, clean, engine.lineTimeout, outcome);
  hold.unlock();
  engine.free->release();
  return outcome;
}

}  // namespace vokabino
