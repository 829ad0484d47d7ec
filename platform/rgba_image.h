#pragma once
// Plain pixel work behind the toolkit's images: PNG decoding, cubic
// resampling and alpha blending. No toolkit types, so it is tested without a
// display.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vokabino {

// 8-bit RGBA, straight (not premultiplied) alpha, rows top to bottom, no padding.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Decodes a PNG held in memory (any colour type and bit depth) to RGBA.
// nullopt for data that is not a complete, valid PNG; never reads past size.
std::optional<RgbaImage> DecodePng(const std::uint8_t* data, std::size_t size);

// Resizes with bicubic (Catmull-Rom) resampling of all four channels; each
// output pixel filters the source area it covers, so strong reductions
// (128 to 30) stay smooth. Width or height below 1 gives an empty image.
RgbaImage ResizeCubic(const RgbaImage& source, int width, int height);

// Blends image over a 0xAARRGGBB canvas (alpha ignored) with its top-left
// corner at x, y, clipped to the canvas: each channel becomes
// (image * a + canvas * (255 - a)) div 255. stride is in pixels.
void BlendOver(const RgbaImage& image, int x, int y, std::uint32_t* canvas, int canvasWidth,
               int canvasHeight, int stride);

}  // namespace vokabino
