#include "platform/colour_key.h"

namespace vokabino {

std::vector<PixelRun> OpaqueRuns(const std::uint32_t* canvas, int width, int height, int stride,
                                 std::uint32_t keyRgb) {
  std::vector<PixelRun> runs;
  const std::uint32_t key = keyRgb & 0xFFFFFFu;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = canvas + static_cast<std::size_t>(y) * stride;
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0xFFFFFFu) == key) ++x;
      const int start = x;
      while (x < width && (row[x] & 0xFFFFFFu) != key) ++x;
      if (x > start) runs.push_back({start, y, x - start});
    }
  }
  return runs;
}

}  // namespace vokabino
