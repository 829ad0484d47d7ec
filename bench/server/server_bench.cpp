// vokabino-translate's speed, measured from the player's side.
//
// - BM_WarmLine: one subtitle-length line through the real client (TranslateLine)
//   and the service's HTTP loop and warm Apertium pipelines, cache disabled.
//   Reports median_ms and p99_ms over the iterations (targets: 10 and 50 ms).
// - BM_ApertiumOnly: the same lines through the warm pipelines alone, no HTTP.
// - BM_ApertiumCommandPerLine: the baseline, "apertium -u eng-spa | apertium -u
//   es-fr" started afresh for every line.
// - BM_Throughput/<translators>: four clients at once, cache disabled; lines per
//   second (items_per_second) with one and with two pipeline pairs.
// - BM_StartToReady: the vokabino-translate executable from exec to its "ready on"
//   line.
//
// Run briefly on shared machines, for example:
//   bench_server --benchmark_min_time=2
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "server/apertium_translator.h"
#include "server/http_service.h"
#include "server/translation_service.h"
#include "translation/translate_line.h"

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

// Film dialogue of ordinary subtitle length (20 to 80 characters).
const std::vector<Text> kLines = {
    "Where have you been all night?",
    "I told you, I was at my sister's house.",
    "We need to leave before the police arrive.",
    "Don't worry, everything is going to be fine.",
    "Can you hear me? Say something, please!",
    "The train leaves at seven o'clock tomorrow morning.",
    "I have never seen anything like this in my life.",
    "Give me the keys and get in the car.",
    "Why didn't you call me when you got home?",
    "She said she would be back in ten minutes.",
    "This is the best coffee in the whole city.",
    "I'm sorry, I didn't mean to frighten you.",
    "We were young and we didn't know any better.",
    "Look at the sky, it's going to rain tonight.",
    "How much money do you have left?",
    "My father worked in this factory for thirty years.",
    "Nobody knows where the old man lives now.",
    "If you want the truth, you have to ask him yourself.",
    "The doctor says you can go home on Friday.",
    "I think we should tell them everything.",
    "Come on, we're going to be late for school!",
    "He was the only one who believed in me.",
    "Please close the door when you leave.",
    "Where did you put the letter I gave you?",
    "It's cold outside, take your coat.",
    "They found the body near the river last week.",
    "I don't want to talk about it anymore.",
    "You look tired. Did you sleep at all?",
    "Wait here, I'll be right back.",
    "That's the most beautiful thing I've ever heard.",
    "We have to find her before it's too late.",
    "The children are playing in the garden.",
};

// The service in this process, quiet, with the cache off so that every request
// reaches Apertium.
struct InProcessService {
  TranslationService service;
  HttpService http;
  ServiceOptions options;
  std::thread serving;
  std::string scratchDirectory;

  explicit InProcessService(std::size_t translators) {
    service.cache.capacity = 0;
    const std::string error =
        StartApertiumEngine(service.apertium, LoadApertiumModes(), translators);
    options.port = 0;
    options.logRequests = false;
    if (!error.empty() || !BindHttpService(http, options).empty()) {
      std::fprintf(stderr, "cannot start the service: %s\n", error.c_str());
      std::abort();
    }
    serving = std::thread([this] { ServeHttpService(http, service, options); });
    char pattern[] = "/tmp/vokabino-server-bench-XXXXXX";
    scratchDirectory = mkdtemp(pattern);
  }
  ~InProcessService() {
    StopHttpService(http);
    serving.join();
    StopApertiumEngine(service.apertium);
    std::filesystem::remove_all(scratchDirectory);
  }
  TranslationConfig Client(int number) const {
    TranslationConfig config;
    config.host = "127.0.0.1:" + std::to_string(http.port);
    config.scratchPath = scratchDirectory + "/teste" + std::to_string(number) + ".txt";
    return config;
  }
};

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t index = static_cast<std::size_t>(fraction * (values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

void ReportLatencies(benchmark::State& state, const std::vector<double>& milliseconds) {
  state.counters["median_ms"] = Percentile(milliseconds, 0.5);
  state.counters["p99_ms"] = Percentile(milliseconds, 0.99);
  state.counters["max_ms"] = Percentile(milliseconds, 1.0);
}

void BM_WarmLine(benchmark::State& state) {
  InProcessService running(1);
  const TranslationConfig config = running.Client(0);
  std::vector<double> latencies;
  std::size_t next = 0;
  std::size_t empty = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const Text french = TranslateLine(kLines[next++ % kLines.size()], config);
    latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    empty += french.empty() ? 1 : 0;
    benchmark::DoNotOptimize(french);
  }
  if (empty > 0) state.SkipWithError("a line came back empty");
  ReportLatencies(state, latencies);
}
BENCHMARK(BM_WarmLine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApertiumOnly(benchmark::State& state) {
  ApertiumEngine engine;
  if (const std::string error = StartApertiumEngine(engine, LoadApertiumModes(), 1);
      !error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<double> latencies;
  std::size_t next = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const ApertiumOutcome outcome = TranslateWithApertium(engine, kLines[next++ % kLines.size()]);
    latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!outcome.french) state.SkipWithError("Apertium failed");
  }
  ReportLatencies(state, latencies);
  StopApertiumEngine(engine);
}
BENCHMARK(BM_ApertiumOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApertiumCommandPerLine(benchmark::State& state) {
  std::size_t next = 0;
  for (auto _ : state) {
    // The lines hold no single quote the shell would trip on except the
    // apostrophe, written as '\'' here.
    std::string line = kLines[next++ % kLines.size()];
    std::string quoted;
    for (char c : line) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string command =
        "printf '%s\\n' '" + quoted + "' | apertium -u eng-spa | apertium -u es-fr";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[1024];
    std::string french;
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) french += buffer;
    if (pipe == nullptr || pclose(pipe) != 0 || french.empty())
      state.SkipWithError("apertium command failed");
  }
}
BENCHMARK(BM_ApertiumCommandPerLine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

void BM_Throughput(benchmark::State& state) {
  const auto translators = static_cast<std::size_t>(state.range(0));
  constexpr int kClients = 4;
  constexpr int kLinesEach = 40;
  InProcessService running(translators);
  std::atomic<int> empty = 0;
  for (auto _ : state) {
    std::vector<std::thread> clients;
    for (int client = 0; client < kClients; ++client) {
      clients.emplace_back([&, client] {
        const TranslationConfig config = running.Client(client);
        for (int i = 0; i < kLinesEach; ++i) {
          if (TranslateLine(kLines[(client * 7 + i) % kLines.size()], config).empty()) ++empty;
        }
      });
    }
    for (std::thread& client : clients) client.join();
  }
  if (empty > 0) state.SkipWithError("a line came back empty");
  state.SetItemsProcessed(state.iterations() * kClients * kLinesEach);
}
BENCHMARK(BM_Throughput)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartToReady(benchmark::State& state) {
  for (auto _ : state) {
    int logPipe[2];
    if (pipe2(logPipe, O_CLOEXEC) != 0) std::abort();
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(logPipe[1], STDERR_FILENO);
      execl(VOKABINO_TRANSLATE_PATH, VOKABINO_TRANSLATE_PATH, "--port", "0",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(logPipe[1]);
    std::string log;
    char buffer[512];
    while (log.find("ready on") == std::string::npos) {
      const ssize_t got = read(logPipe[0], buffer, sizeof buffer);
      if (got <= 0) break;
      log.append(buffer, static_cast<std::size_t>(got));
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.SetIterationTime(ms / 1000.0);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(logPipe[0]);
    if (log.find("ready on") == std::string::npos) state.SkipWithError("never ready");
  }
}
BENCHMARK(BM_StartToReady)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
}  // namespace vokabino

BENCHMARK_MAIN();
