// The toolkit's display-free pixel work and parsing: PNG decoding, cubic
// resampling, alpha blending, colour-key runs and requester patterns.
#include <gtest/gtest.h>

#include "assets/flags.h"
#include "platform/colour_key.h"
#include "platform/requester_pattern.h"
#include "platform/rgba_image.h"

namespace vokabino {
namespace {

struct Colour {
  int r, g, b, a;
};

Colour PixelAt(const RgbaImage& image, int x, int y) {
  const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST(FlagImages, DecodeAs128By128WithTransparentMarginsAndReadAt30) {
  struct Case {
    const char* name;
    std::span<const std::uint8_t> png;
  };
  for (const Case& c : {Case{"us", UsFlagPng()}, Case{"fr", FrenchFlagPng()}}) {
    SCOPED_TRACE(c.name);
    const auto image = DecodePng(c.png.data(), c.png.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 128);
    EXPECT_EQ(image->height, 128);
    EXPECT_EQ(PixelAt(*image, 64, 2).a, 0);    // margin above the field
    EXPECT_EQ(PixelAt(*image, 64, 64).a, 255);  // the field itself
  }
  // At 30 by 30 the French flag still shows its three bands.
  const auto fr = DecodePng(FrenchFlagPng().data(), FrenchFlagPng().size());
  const RgbaImage small = ResizeCubic(*fr, 30, 30);
  const Colour left = PixelAt(small, 4, 15), middle = PixelAt(small, 15, 15),
               right = PixelAt(small, 25, 15);
  EXPECT_GT(left.b, 120);
  EXPECT_LT(left.r, 40);
  EXPECT_GT(middle.r, 240);
  EXPECT_GT(middle.b, 240);
  EXPECT_GT(right.r, 200);
  EXPECT_LT(right.b, 90);
  EXPECT_EQ(PixelAt(small, 15, 0).a, 0);
}

TEST(DecodePng, RefusesWhatIsNotACompletePng) {
  const auto png = UsFlagPng();
  const std::vector<std::uint8_t> whole(png.begin(), png.end());
  std::vector<std::uint8_t> truncated(whole.begin(), whole.begin() + whole.size() / 2);
  std::vector<std::uint8_t> corrupt = whole;
  corrupt[40] ^= 0xFF;  // inside the header chunk: its checksum no longer matches
  const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_FALSE(DecodePng(nullptr, 0));
  EXPECT_FALSE(DecodePng(text.data(), text.size()));
  EXPECT_FALSE(DecodePng(truncated.data(), truncated.size()));
  EXPECT_FALSE(DecodePng(whole.data(), 8));
  EXPECT_FALSE(DecodePng(corrupt.data(), corrupt.size()));
}

TEST(ResizeCubic, KeepsFlatColourAndEdgesAndRejectsEmptySizes) {
  RgbaImage flat{8, 8, std::vector<std::uint8_t>(8 * 8 * 4)};
  for (std::size_t i = 0; i < flat.pixels.size(); i += 4) {
    flat.pixels[i] = 10;
    flat.pixels[i + 1] = 200;
    flat.pixels[i + 2] = 30;
    flat.pixels[i + 3] = 255;
  }
  for (auto [w, h] : {std::pair{3, 3}, {8, 8}, {20, 5}}) {
    const RgbaImage out = ResizeCubic(flat, w, h);
    ASSERT_EQ(out.pixels.size(), static_cast<std::size_t>(w * h * 4));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Colour c = PixelAt(out, x, y);
        EXPECT_EQ(c.r, 10);
        EXPECT_EQ(c.g, 200);
        EXPECT_EQ(c.b, 30);
        EXPECT_EQ(c.a, 255);
      }
  }
  EXPECT_TRUE(ResizeCubic(flat, 0, 5).pixels.empty());
  EXPECT_TRUE(ResizeCubic(flat, 5, -1).pixels.empty());
}

TEST(BlendOver, MixesByAlphaWithTruncatingDivisionAndClips) {
  struct Case {
    int a;
    std::uint32_t expected;  // canvas 0x00FF00 under image colour (200, 100, 50)
  };
  const Case cases[] = {
      {0, 0xFF00FF00u},    // fully transparent: the key colour stays
      {255, 0xFFC86432u},  // opaque: the image
      // (200*128 + 0*127) div 255 = 100; (100*128 + 255*127) div 255 = 177;
      // (50*128 + 0) div 255 = 25
      {128, 0xFF64B119u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    RgbaImage one{1, 1, {200, 100, 50, static_cast<std::uint8_t>(c.a)}};
    std::uint32_t canvas[1] = {0xFF00FF00u};
    BlendOver(one, 0, 0, canvas, 1, 1, 1);
    EXPECT_EQ(canvas[0], c.expected);
  }
  // Partly outside on every side: only the overlap changes, nothing else is touched.
  RgbaImage block{4, 4, std::vector<std::uint8_t>(64, 255)};
  std::vector<std::uint32_t> canvas(3 * 3, 0u);
  BlendOver(block, -2, -2, canvas.data(), 3, 3, 3);
  EXPECT_EQ(canvas[0], 0xFFFFFFFFu);
  EXPECT_EQ(canvas[1], 0xFFFFFFFFu);
  EXPECT_EQ(canvas[2], 0u);
  EXPECT_EQ(canvas[3 * 2], 0u);
  BlendOver(block, 2, 2, canvas.data(), 3, 3, 3);
  EXPECT_EQ(canvas[8], 0xFFFFFFFFu);
}

TEST(OpaqueRuns, ListNonKeyStretchesPerRow) {
  constexpr std::uint32_t K = 0xFF00FF00u, W = 0xFFFFFFFFu, N = 0xFF00FE00u;
  // Alpha bits are ignored; a colour one step off the key is opaque.
  const std::uint32_t pixels[] = {
      K, W, W, K, W,  //
      K, K, K, K, K,  //
      N, K, 0x0000FF00u, K, K,
  };
  const auto runs = OpaqueRuns(pixels, 5, 3, 5, 0x00FF00u);
  const std::vector<std::tuple<int, int, int>> expected = {{1, 0, 2}, {4, 0, 1}, {0, 2, 1}};
  ASSERT_EQ(runs.size(), expected.size());
  for (std::size_t i = 0; i < runs.size(); ++i)
    EXPECT_EQ(std::make_tuple(runs[i].x, runs[i].y, runs[i].width), expected[i]);
  EXPECT_TRUE(OpaqueRuns(pixels, 0, 0, 5, 0x00FF00u).empty());
}

TEST(RequesterPattern, SplitsNamesAndPatterns) {
  struct Case {
    Text pattern;
    std::vector<std::pair<Text, std::vector<Text>>> expected;
  };
  const Case cases[] = {
      {"Avi|*.avi;*.mpg;*.mp4|All Files|*.*",
       {{"Avi", {"*.avi", "*.mpg", "*.mp4"}}, {"All Files", {"*"}}}},
      {"Sous-titre|*.srt", {{"Sous-titre", {"*.srt"}}}},
      {"Lone name", {{"Lone name", {"*"}}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    const auto filters = ParseRequesterPattern(c.pattern);
    ASSERT_EQ(filters.size(), c.expected.size());
    for (std::size_t i = 0; i < filters.size(); ++i) {
      EXPECT_EQ(filters[i].name, c.expected[i].first);
      EXPECT_EQ(filters[i].patterns, c.expected[i].second);
    }
  }
}

}  // namespace
}  // namespace vokabino
