// bench_load: vokabino-translate under sustained load. Starts the real service
// on a free loopback port, sends it a plan of well-formed and malformed requests
// from several connections at once, and prints throughput, latency, outcomes and
// the memory of the service and its Apertium pipelines before, halfway and after.
//
// Exit status: 0 when every request was answered as it should be, the service
// survived, stopped cleanly and kept its memory within the bound (see
// MemoryBound); 1 on any fault; 2 when the arguments are wrong or the service
// does not start.
//
// usage: bench_load [--translate PATH] [--requests N] [--concurrency N]
//                   [--malformed-every N] [--lines N] [--seed N] [--time-limit SECONDS]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/load/load_plan.h"
#include "bench/load/load_run.h"
#include "bench/load/load_verdict.h"
#include "service_process.h"

namespace vokabino {
namespace {

struct DriverOptions {
  std::string translate;  // empty: the vokabino-translate of this build
  LoadPlanOptions plan;
  LoadOptions load;
  std::string error;
};

constexpr const char* kUsage =
    "usage: bench_load [--translate PATH] [--requests N] [--concurrency N]\n"
    "                  [--malformed-every N] [--lines N] [--seed N] [--time-limit SECONDS]\n"
    "Defaults: this build's vokabino-translate, 10000 requests, 16 at once, one in 10\n"
    "malformed, 400 English lines, seed 5318, no request started after 600 s.\n";

bool ReadCount(const std::string& text, unsigned long long most, unsigned long long& value) {
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && text[0] != '-' && value <= most;
}

DriverOptions ParseArguments(const std::vector<std::string>& arguments) {
  DriverOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (i + 1 >= arguments.size()) {
      options.error = "missing value after " + name;
      return options;
    }
    const std::string& value = arguments[++i];
    unsigned long long number = 0;
    bool ok = true;
    if (name == "--translate") {
      options.translate = value;
    } else if (name == "--requests") {
      ok = ReadCount(value, 10'000'000, number);
      options.plan.requests = number;
    } else if (name == "--concurrency") {
      ok = ReadCount(value, 1024, number) && number > 0;
      options.load.concurrency = number;
    } else if (name == "--malformed-every") {
      ok = ReadCount(value, 1'000'000, number);
      options.plan.malformedEvery = number;
    } else if (name == "--lines") {
      ok = ReadCount(value, 100'000, number) && number > 0;
      options.plan.lines = number;
    } else if (name == "--seed") {
      ok = ReadCount(value, 0xFFFFFFFFull, number);
      options.plan.seed = static_cast<std::uint32_t>(number);
    } else if (name == "--time-limit") {
      ok = ReadCount(value, 86'400, number) && number > 0;
      options.load.timeLimit = std::chrono::seconds(number);
    } else {
      options.error = "unknown option " + name;
      return options;
    }
    if (!ok) {
      options.error = "bad value for " + name + ": " + value;
      return options;
    }
  }
  return options;
}

int RunDriver(const DriverOptions& options) {
  testing_support::ServiceProcess service;
  service.program = options.translate;
  if (!testing_support::StartService(service)) {
    std::fprintf(stderr, "bench_load: the service did not start:\n%s",
                 testing_support::ServiceLog(service).c_str());
    return 2;
  }
  std::printf("service: %s, pid %d, port %d\n",
              options.translate.empty() ? VOKABINO_TRANSLATE_PATH : options.translate.c_str(),
              static_cast<int>(service.pid), service.port);
  std::printf("plan: %zu requests, %zu at once, one in %zu malformed, %zu lines, seed %u\n",
              options.plan.requests, options.load.concurrency, options.plan.malformedEvery,
              options.plan.lines, options.plan.seed);
  std::fflush(stdout);

  const std::vector<PlannedRequest> plan = PlanLoad(options.plan, service.port);
  const LoadRun run = RunLoad(plan, service.port, service.pid, options.load);
  const MemoryBound bound;
  LoadVerdict verdict = JudgeLoad(plan, run, bound);

  if (run.serviceEnded.empty()) {
    const int status = testing_support::StopService(service);
    if (status != 0)
      verdict.faults.push_back("the service did not stop cleanly on SIGTERM (status " +
                               std::to_string(status) + ")");
  }
  std::fputs(FormatLoadReport(run, verdict, bound).c_str(), stdout);
  const std::vector<std::string> trouble =
      TroubleInServiceLog(testing_support::ServiceLog(service), 20);
  if (!trouble.empty()) {
    std::puts("trouble in the service's log:");
    for (const std::string& line : trouble) std::printf("  %s\n", line.c_str());
  }
  return verdict.faults.empty() ? 0 : 1;
}

}  // namespace
}  // namespace vokabino

int main(int argc, char** argv) {
  using namespace vokabino;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const DriverOptions options = ParseArguments(arguments);
  if (!options.error.empty()) {
    std::fprintf(stderr, "bench_load: %s\n%s", options.error.c_str(), kUsage);
    return 2;
  }
  return RunDriver(options);
}
