#pragma once
// Sending a whole plan to the running service from several connections at once,
// while a watcher samples the service's memory and notices if it ends.
//
// Bounded: requests are taken in plan order until the plan is done, the service
// has ended or options.timeLimit has passed since the first; each exchange is
// bounded by options.exchangeTimeout, so the run returns at most that long after
// the time limit.
//
// Threading: RunLoad starts options.concurrency senders and one watcher and
// joins them all before it returns. The caller must be the service's parent
// (the watcher asks waitid about it without reaping it).
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/load/load_exchange.h"
#include "bench/load/load_plan.h"
#include "bench/load/process_usage.h"

namespace vokabino {

struct LoadOptions {
  std::size_t concurrency = 16;                       // connections open at once
  std::chrono::seconds timeLimit{600};                // no request starts after this
  std::chrono::milliseconds exchangeTimeout{30'000};  // per request, connect to last byte
};

struct LoadRun {
  std::vector<ExchangeResult> results;  // one per planned request, in plan order
  double seconds = 0;                   // from the first request sent to the last finished
  ServiceUsage before;  // before the first request (with Pss)
  ServiceUsage middle;  // once half the plan has finished (with Pss)
  ServiceUsage after;   // after the last request finished and the service closed
                        // its side (with Pss)
  std::int64_t peakServiceKb = -1;      // highest VmRSS seen, sampled twice a second
  std::int64_t peakPipelinesKb = -1;
  bool timeLimitReached = false;
  std::string serviceEnded;  // empty while the service still runs, else how it ended
                             // ("killed by signal 11", "exited with status 1")
};

LoadRun RunLoad(const std::vector<PlannedRequest>& plan, int port, pid_t service,
                const LoadOptions& options);

// How the service has ended, without reaping it: empty while it runs.
std::string HowProcessEnded(pid_t pid);

}  // namespace vokabino
