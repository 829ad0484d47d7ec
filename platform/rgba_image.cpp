#include "platform/rgba_image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vokabino {

std::optional<RgbaImage> DecodePng(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return std::nullopt;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return std::nullopt;
  image.format = PNG_FORMAT_RGBA;
  // Refuse absurd sizes before allocating: the program only carries small flags.
  if (image.width == 0 || image.height == 0 || image.width > 8192 || image.height > 8192) {
    png_image_free(&image);
    return std::nullopt;
  }
  RgbaImage result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return result;
}

namespace {

// Catmull-Rom cubic (a = -0.5).
double Cubic(double t) {
  t = std::fabs(t);
  if (t < 1) return (1.5 * t - 2.5) * t * t + 1;
  if (t < 2) return ((-0.5 * t + 2.5) * t - 4) * t + 2;
  return 0;
}

struct Taps {
  int first = 0;
  std::vector<double> weights;
};

// Filter taps for each output position along one axis. When shrinking, the
// kernel is stretched by the scale so every source pixel contributes.
std::vector<Taps> AxisTaps(int sourceSize, int targetSize) {
  const double scale = static_cast<double>(sourceSize) / targetSize;
  const double support = scale > 1 ? 2 * scale : 2;
  const double stretch = scale > 1 ? scale : 1;
  std::vector<Taps> taps(targetSize);
  for (int i = 0; i < targetSize; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int first = static_cast<int>(std::floor(centre - support)) + 1;
    const int last = static_cast<int>(std::floor(centre + support));
    Taps& t = taps[i];
    t.first = first;
    double sum = 0;
    for (int s = first; s <= last; ++s) {
      const double w = Cubic((s - centre) / stretch);
      t.weights.push_back(w);
      sum += w;
    }
    if (sum != 0)
      for (double& w : t.weights) w /= sum;
  }
  return taps;
}

std::uint8_t ClampByte(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

RgbaImage ResizeCubic(const RgbaImage& source, int width, int height) {
  RgbaImage out;
  if (width < 1 || height < 1 || source.width < 1 || source.height < 1) return out;
  const auto xTaps = AxisTaps(source.width, width);
  const auto yTaps = AxisTaps(source.height, height);
  // Horizontal pass into a float buffer, then vertical; edges are clamped.
  std::vector<double> rows(static_cast<std::size_t>(source.height) * width * 4);
  for (int y = 0; y < source.height; ++y) {
    const std::uint8_t* src = &source.pixels[static_cast<std::size_t>(y) * source.width * 4];
    for (int x = 0; x < width; ++x) {
      double acc[4] = {0, 0, 0, 0};
      const Taps& t = xTaps[x];
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const int sx = std::clamp(t.first + static_cast<int>(k), 0, source.width - 1);
        for (int c = 0; c < 4; ++c) acc[c] += t.weights[k] * src[sx * 4 + c];
      }
      double* dst = &rows[(static_cast<std::size_t>(y) * width + x) * 4];
      std::copy(acc, acc + 4, dst);
    }
  }
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const Taps& t = yTaps[y];
    for (int x = 0; x < width; ++x) {
      double acc[4] = {0, 0, 0, 0};
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const int sy = std::clamp(t.first + static_cast<int>(k), 0, source.height - 1);
        const double* src = &rows[(static_cast<std::size_t>(sy) * width + x) * 4];
        for (int c = 0; c < 4; ++c) acc[c] += t.weights[k] * src[c];
      }
      std::uint8_t* dst = &out.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      for (int c = 0; c < 4; ++c) dst[c] = ClampByte(acc[c]);
    }
  }
  return out;
}

void BlendOver(const RgbaImage& image, int x, int y, std::uint32_t* canvas, int canvasWidth,
               int canvasHeight, int stride) {
  for (int iy = 0; iy < image.height; ++iy) {
    const int cy = y + iy;
    if (cy < 0 || cy >= canvasHeight) continue;
    for (int ix = 0; ix < image.width; ++ix) {
      const int cx = x + ix;
      if (cx < 0 || cx >= canvasWidth) continue;
      const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(iy) * image.width + ix) * 4];
      const unsigned a = p[3];
      std::uint32_t& dst = canvas[static_cast<std::size_t>(cy) * stride + cx];
      const unsigned under[3] = {(dst >> 16) & 0xFFu, (dst >> 8) & 0xFFu, dst & 0xFFu};
      unsigned mixed[3];
      for (int c = 0; c < 3; ++c) mixed[c] = (p[c] * a + under[c] * (255 - a)) / 255;
      dst = 0xFF000000u | (mixed[0] << 16) | (mixed[1] << 8) | mixed[2];
    }
  }
}

}  // namespace vokabino
