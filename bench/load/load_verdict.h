#pragma once
// Judging a load run: was every request answered as it should be, did the
// service survive, stay consistent, keep its memory within bounds and give back
// every descriptor and thread; and the figures to print.
//
// Pure functions of the plan and the run.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bench/load/load_plan.h"
#include "bench/load/load_run.h"

namespace vokabino {

// How far the service process's own VmRSS may grow over a run: after must stay
// within factor * before + slackKb. The service holds a bounded cache (2048
// lines of under a kilobyte each, so at most about 2 MB with its index) and its
// workers' heap arenas, which grow to a few megabytes under concurrent requests
// and are kept; 2x + 20 MB leaves room for both on a service that starts near
// 5 MB, while a leak of a few kilobytes per request shows over 10,000 requests.
struct MemoryBound {
  double factor = 2.0;
  std::int64_t slackKb = 20 * 1024;
};
std::int64_t ServiceMemoryLimitKb(std::int64_t beforeKb, const MemoryBound& bound);

// Empty when result is a right answer to a well-formed request: 200 with a body
// "<translation>X</translation>", X non-empty and only unreserved characters and
// "%" with two upper-case hexadecimal digits. Else what is wrong, in a few words.
std::string WellFormedAnswerProblem(const ExchangeResult& result);

struct LoadVerdict {
  std::size_t sent = 0;
  std::size_t wellFormed = 0;       // sent
  std::size_t wellFormedRight = 0;
  std::size_t malformed = 0;        // sent, letting go included
  std::size_t malformedRight = 0;
  std::size_t distinctLines = 0;    // English lines asked for
  double requestsPerSecond = 0;
  double p50Ms = 0;                 // latency of well-formed requests answered right
  double p99Ms = 0;
  double maxMs = 0;
  // "<kind>: <status or outcome>" to how many, such as "bad password: 403".
  std::map<std::string, std::size_t> outcomes;
  std::vector<std::string> faults;  // one line each; empty when the run passed
};

LoadVerdict JudgeLoad(const std::vector<PlannedRequest>& plan, const LoadRun& run,
                      const MemoryBound& bound);

// The figures and faults, several lines for a terminal.
std::string FormatLoadReport(const LoadRun& run, const LoadVerdict& verdict,
                             const MemoryBound& bound);

// Lines of the service's log that tell of trouble in its pipelines ("died",
// "timed out", "restart failed") or of a 503, at most limit of them.
std::vector<std::string> TroubleInServiceLog(const std::string& log, std::size_t limit);

}  // namespace vokabino
