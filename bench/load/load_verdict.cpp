#include "bench/load/load_verdict.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace vokabino {
namespace {

constexpr std::size_t kExamplesPerFault = 10;

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index =
      static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// Printable ASCII, shortened: for lines of a report.
std::string Shown(const std::string& text, std::size_t limit = 60) {
  std::string shown;
  for (char c : text.substr(0, limit)) shown += (c >= ' ' && c < 0x7F) ? c : '?';
  if (text.size() > limit) shown += "...";
  return shown;
}

std::string OutcomeLabel(const ExchangeResult& result) {
  return result.outcome == ExchangeOutcome::Answered
             ? std::to_string(result.status)
             : std::string(ExchangeOutcomeName(result.outcome));
}

bool MalformedAnswerIsRight(const PlannedRequest& request, const ExchangeResult& result) {
  switch (result.outcome) {
    case ExchangeOutcome::LetGo:
      return true;
    case ExchangeOutcome::Answered:
      return std::find(request.statuses.begin(), request.statuses.end(), result.status) !=
             request.statuses.end();
    case ExchangeOutcome::ClosedWithoutReply:
      return request.closeIsRight;
    default:
      return false;
  }
}

// Faults of one sort: the first few in full, then how many more.
struct FaultList {
  std::string what;
  std::vector<std::string> examples;
  std::size_t count = 0;
  void Add(std::string example) {
    if (++count <= kExamplesPerFault) examples.push_back(std::move(example));
  }
  void AppendTo(std::vector<std::string>& faults) const {
    for (const std::string& example : examples) faults.push_back(what + ": " + example);
    if (count > examples.size())
      faults.push_back(what + ": " + std::to_string(count - examples.size()) + " more");
  }
};

std::string Megabytes(std::int64_t kilobytes) {
  if (kilobytes < 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(kilobytes) / 1024.0);
  return text;
}

std::string MemoryLine(const char* when, const ServiceUsage& sample) {
  return std::string("  ") + when + ": service " + Megabytes(sample.serviceKb) + " (Pss " +
         Megabytes(sample.serviceProportionalKb) + ", " + std::to_string(sample.threads) +
         " threads, " + std::to_string(sample.descriptors) + " descriptors), pipelines " +
         Megabytes(sample.pipelinesKb) + " in " + std::to_string(sample.pipelineProcesses) +
         " processes (Pss " + Megabytes(sample.pipelinesProportionalKb) + ")\n";
}

}  // namespace

std::int64_t ServiceMemoryLimitKb(std::int64_t beforeKb, const MemoryBound& bound) {
  return static_cast<std::int64_t>(bound.factor * static_cast<double>(beforeKb)) + bound.slackKb;
}

std::string WellFormedAnswerProblem(const ExchangeResult& result) {
  if (result.outcome != ExchangeOutcome::Answered)
    return std::string(ExchangeOutcomeName(result.outcome));
  if (result.status != 200) return "status " + std::to_string(result.status);
  const std::string_view open = "<translation>";
  const std::string_view close = "</translation>";
  const std::string_view body = result.body;
  if (!body.starts_with(open) || !body.ends_with(close) || body.size() < open.size() + close.size())
    return "body not <translation>...</translation>: " + Shown(result.body);
  const std::string_view inside =
      body.substr(open.size(), body.size() - open.size() - close.size());
  if (inside.empty()) return "empty translation";
  for (std::size_t i = 0; i < inside.size(); ++i) {
    if (IsUnreserved(inside[i])) continue;
    if (inside[i] == '%' && i + 2 < inside.size() && IsUpperHexDigit(inside[i + 1]) &&
        IsUpperHexDigit(inside[i + 2])) {
      i += 2;
      continue;
    }
    return "badly escaped translation: " + Shown(result.body);
  }
  return {};
}

LoadVerdict JudgeLoad(const std::vector<PlannedRequest>& plan, const LoadRun& run,
                      const MemoryBound& bound) {
  LoadVerdict verdict;
  FaultList wrongWellFormed{"well-formed request not answered right", {}, 0};
  FaultList wrongMalformed{"malformed request answered wrongly", {}, 0};
  FaultList inconsistent{"same line, different translations", {}, 0};
  std::unordered_map<Text, const std::string*> firstAnswer;
  std::vector<double> latencies;
  for (std::size_t i = 0; i < plan.size() && i < run.results.size(); ++i) {
    const PlannedRequest& request = plan[i];
    const ExchangeResult& result = run.results[i];
    if (result.outcome == ExchangeOutcome::NotSent) continue;
    ++verdict.sent;
    ++verdict.outcomes[std::string(RequestKindName(request.kind)) + ": " + OutcomeLabel(result)];
    const std::string where = std::to_string(i) + ": ";
    if (request.kind != RequestKind::WellFormed) {
      ++verdict.malformed;
      if (MalformedAnswerIsRight(request, result)) {
        ++verdict.malformedRight;
      } else {
        wrongMalformed.Add(where + std::string(RequestKindName(request.kind)) + " got " +
                           OutcomeLabel(result) + " (sent " + Shown(request.bytes, 50) + ")");
      }
      continue;
    }
    ++verdict.wellFormed;
    if (const std::string problem = WellFormedAnswerProblem(result); !problem.empty()) {
      wrongWellFormed.Add(where + "\"" + Shown(request.line) + "\": " + problem);
      continue;
    }
    ++verdict.wellFormedRight;
    latencies.push_back(static_cast<double>(result.elapsed.count()) / 1000.0);
    const auto [known, isNew] = firstAnswer.emplace(request.line, &result.body);
    if (!isNew && *known->second != result.body) {
      inconsistent.Add(where + "\"" + Shown(request.line) + "\": " + Shown(*known->second, 80) +
                       " then " + Shown(result.body, 80));
    }
  }
  std::unordered_map<Text, bool> asked;
  for (const PlannedRequest& request : plan)
    if (request.kind == RequestKind::WellFormed) asked[request.line] = true;
  verdict.distinctLines = asked.size();
  verdict.requestsPerSecond = run.seconds > 0 ? static_cast<double>(verdict.sent) / run.seconds : 0;
  verdict.p50Ms = Percentile(latencies, 0.50);
  verdict.p99Ms = Percentile(latencies, 0.99);
  verdict.maxMs = Percentile(latencies, 1.0);

  std::vector<std::string>& faults = verdict.faults;
  if (!run.serviceEnded.empty())
    faults.push_back("the service ended during the run: " + run.serviceEnded);
  if (run.timeLimitReached)
    faults.push_back("time limit reached with " + std::to_string(plan.size() - verdict.sent) +
                     " requests not sent");
  wrongWellFormed.AppendTo(faults);
  wrongMalformed.AppendTo(faults);
  inconsistent.AppendTo(faults);
  if (run.serviceEnded.empty()) {
    const std::int64_t limit = ServiceMemoryLimitKb(run.before.serviceKb, bound);
    if (run.after.descriptors > run.before.descriptors)
      faults.push_back("the service's open descriptors grew from " +
                       std::to_string(run.before.descriptors) + " to " +
                       std::to_string(run.after.descriptors));
    if (run.after.threads != run.before.threads)
      faults.push_back("the service's threads went from " + std::to_string(run.before.threads) +
                       " to " + std::to_string(run.after.threads));
    if (run.before.serviceKb < 0 || run.after.serviceKb < 0) {
      faults.push_back("the service's memory could not be read");
    } else if (run.after.serviceKb > limit) {
      faults.push_back("service memory grew from " + Megabytes(run.before.serviceKb) + " to " +
                       Megabytes(run.after.serviceKb) + ", beyond the bound of " +
                       Megabytes(limit));
    }
  }
  return verdict;
}

std::string FormatLoadReport(const LoadRun& run, const LoadVerdict& verdict,
                             const MemoryBound& bound) {
  char line[256];
  std::string report;
  std::snprintf(line, sizeof line,
                "requests: %zu sent in %.1f s, %.0f requests/s\n"
                "well-formed: %zu, %zu answered right, %zu distinct lines asked for\n"
                "malformed: %zu, %zu answered as they should be\n"
                "latency of well-formed requests: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                verdict.sent, run.seconds, verdict.requestsPerSecond, verdict.wellFormed,
                verdict.wellFormedRight, verdict.distinctLines, verdict.malformed,
                verdict.malformedRight, verdict.p50Ms, verdict.p99Ms, verdict.maxMs);
  report += line;
  report += "outcomes:\n";
  for (const auto& [label, count] : verdict.outcomes)
    report += "  " + label + ": " + std::to_string(count) + "\n";
  report += "resident memory (VmRSS; Pss shares out what processes hold in common):\n";
  report += MemoryLine("before", run.before);
  report += MemoryLine("middle", run.middle);
  report += MemoryLine("after ", run.after);
  report += "  peak:   service " + Megabytes(run.peakServiceKb) + ", pipelines " +
            Megabytes(run.peakPipelinesKb) + "\n";
  std::snprintf(line, sizeof line, "  bound:  service after <= %.1f x before + ", bound.factor);
  report += line + Megabytes(bound.slackKb) + " = " +
            Megabytes(ServiceMemoryLimitKb(run.before.serviceKb, bound)) + "\n";
  if (verdict.faults.empty()) {
    report += "verdict: PASS\n";
  } else {
    report += "verdict: FAIL\n";
    for (const std::string& fault : verdict.faults) report += "  " + fault + "\n";
  }
  return report;
}

std::vector<std::string> TroubleInServiceLog(const std::string& log, std::size_t limit) {
  std::vector<std::string> trouble;
  std::size_t start = 0;
  while (start < log.size() && trouble.size() < limit) {
    std::size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string_view line(log.data() + start, end - start);
    if (line.find(" died") != std::string_view::npos ||
        line.find(" timed out") != std::string_view::npos ||
        line.find("restart failed") != std::string_view::npos ||
        line.find(" 503 ") != std::string_view::npos)
      trouble.emplace_back(line);
    start = end + 1;
  }
  return trouble;
}

}  // namespace vokabino
