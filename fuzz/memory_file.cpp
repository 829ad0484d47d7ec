#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vokabino {
namespace {

int MemoryFileDescriptor() {
  static const int fd = [] {
    const int made = memfd_create("vokabino-fuzz", MFD_CLOEXEC);
    if (made < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    return made;
  }();
  return fd;
}

}  // namespace

Text MemoryFileWithBytes(std::string_view bytes) {
  const int fd = MemoryFileDescriptor();
  if (ftruncate(fd, 0) != 0) std::abort();
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = pwrite(fd, bytes.data() + written, bytes.size() - written,
                             static_cast<off_t>(written));
    if (n <= 0) std::abort();
    written += static_cast<std::size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace vokabino
