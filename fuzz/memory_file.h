#pragma once
// A file that lives in memory (memfd) and has a path, so the real file reader
// (open, fstat, read) can be driven without touching the disk. One per process,
// reused for every input: the fuzz targets are single-threaded.
#include <string_view>

#include "text/text.h"

namespace vokabino {

// Replaces the memory file's contents with bytes and returns a path that opens
// it ("/proc/self/fd/<n>"). Aborts when no memory file can be made.
Text MemoryFileWithBytes(std::string_view bytes);

}  // namespace vokabino
