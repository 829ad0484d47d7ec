// Load time of LoadSubtitles for generated files of 10,000 to 200,000 Cues.
// The file is written once per size into the temp folder and read from the page
// cache. Destroying the list is not timed, and after it the heap's free memory
// goes back to the kernel, so that every load, whatever its size, starts as the
// one load of a run does: with no warm heap to reuse.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/subtitles/generated_srt.h"
#include "subtitles/subtitle_loader.h"

namespace vokabino {
namespace {

std::filesystem::path BenchFolder() {
  static const auto folder = std::filesystem::temp_directory_path() /
                             ("vokabino-bench-" + std::to_string(::getpid()));
  return folder;
}

std::filesystem::path GeneratedFile(int cues, std::size_t& bytes) {
  static std::map<int, std::pair<std::filesystem::path, std::size_t>> files;
  auto found = files.find(cues);
  if (found == files.end()) {
    const std::string srt = bench::GeneratedSrt(cues);
    std::filesystem::create_directories(BenchFolder());
    const auto path = BenchFolder() / (std::to_string(cues) + ".srt");
    std::ofstream(path, std::ios::binary) << srt;
    found = files.emplace(cues, std::make_pair(path, srt.size())).first;
  }
  bytes = found->second.second;
  return found->second.first;
}

void BM_LoadSubtitles(benchmark::State& state) {
  const int cues = static_cast<int>(state.range(0));
  std::size_t bytes = 0;
  const Text path = GeneratedFile(cues, bytes).string();
  for (auto _ : state) {
    CueList list;
    LoadSubtitles(list, path, "EN");
    if (list.cues.size() != static_cast<std::size_t>(cues)) {
      state.SkipWithError("wrong number of Cues");
      break;
    }
    benchmark::DoNotOptimize(list.cues.data());
    state.PauseTiming();
    list = CueList{};
    malloc_trim(0);
    state.ResumeTiming();
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_LoadSubtitles)->Arg(10000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vokabino

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(vokabino::BenchFolder());
  return 0;
}
