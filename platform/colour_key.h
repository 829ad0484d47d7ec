#pragma once
// Which pixels of a colour-keyed picture stay visible: the runs of pixels in
// each row that are not exactly the key colour. The toolkit turns them into
// the window's shape, so key pixels are both invisible and click-through.
#include <cstdint>
#include <vector>

namespace vokabino {

struct PixelRun {
  int x = 0, y = 0, width = 0;  // one row high
};

// canvas holds 0xAARRGGBB pixels (alpha ignored), stride in pixels. Runs come
// sorted by y then x, never touching, as a banded region wants them.
std::vector<PixelRun> OpaqueRuns(const std::uint32_t* canvas, int width, int height, int stride,
                                 std::uint32_t keyRgb);

}  // namespace vokabino
