// Peak memory of one LoadSubtitles call, one load per process so that
// /usr/bin/time -v sees only it:
//   subtitles_load_memory generate CUES PATH   writes a generated SubRip file
//   subtitles_load_memory load PATH            loads it once and reports
// The report gives the file size, the peak of live heap bytes during the load
// (counted by the replaced operator new/delete below, so it holds the loader's
// own buffers and the Cues) and the process's maximum resident set size before
// and after the load (getrusage), and the wall time of that first load in a
// fresh process. Single-threaded.
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "bench/subtitles/generated_srt.h"
#include "subtitles/subtitle_loader.h"

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

void* CountedAlloc(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  liveBytes += malloc_usable_size(block);
  if (liveBytes > peakBytes) peakBytes = liveBytes;
  return block;
}

void CountedFree(void* block) {
  if (block == nullptr) return;
  liveBytes -= malloc_usable_size(block);
  std::free(block);
}

long MaxRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* block) noexcept { CountedFree(block); }
void operator delete[](void* block) noexcept { CountedFree(block); }
void operator delete(void* block, std::size_t) noexcept { CountedFree(block); }
void operator delete[](void* block, std::size_t) noexcept { CountedFree(block); }

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && argc == 4) {
    std::ofstream(argv[3], std::ios::binary) << vokabino::bench::GeneratedSrt(std::atoi(argv[2]));
    return 0;
  }
  if (mode != "load" || argc != 3) {
    std::fprintf(stderr, "usage: %s generate CUES PATH | load PATH\n", argv[0]);
    return 2;
  }
  const vokabino::Text path = argv[2];
  const auto fileBytes = std::filesystem::file_size(argv[2]);
  const long rssBefore = MaxRssKiB();
  const std::size_t heapBefore = liveBytes;
  peakBytes = liveBytes;
  vokabino::CueList list;
  const auto started = std::chrono::steady_clock::now();
  vokabino::LoadSubtitles(list, path, "EN");
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
  const long rssAfter = MaxRssKiB();
  std::printf("load_ms %.2f (first load in a fresh process)\n", took.count());
  std::printf("cues %zu\nfile_bytes %llu\nheap_peak_bytes %zu (%.2f x file)\n"
              "heap_after_bytes %zu\nmaxrss_before_kib %ld\nmaxrss_after_kib %ld "
              "(growth %.2f x file)\n",
              list.cues.size(), static_cast<unsigned long long>(fileBytes),
              peakBytes - heapBefore, double(peakBytes - heapBefore) / double(fileBytes),
              liveBytes - heapBefore, rssBefore, rssAfter,
              double(rssAfter - rssBefore) * 1024 / double(fileBytes));
  return 0;
}
