#include "subtitles/overlay_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_numbers.h"
#include "tests/doubles/fake_toolkit.h"

namespace vokabino {
namespace {

// Not white, so a renderer that ignores the state's colour shows up.
constexpr Rgb kTextColour{250, 240, 230};
constexpr int kFontSlot = 6;

std::string Colour(Rgb c) {
  return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// The fake's recording as one line per operation. A text operation with the
// empty text draws nothing, so it is no part of the picture and left out.
std::vector<std::string> Picture(const std::vector<DrawOp>& ops) {
  std::vector<std::string> lines;
  for (const DrawOp& op : ops) {
    const std::string at = std::to_string(op.x) + "," + std::to_string(op.y);
    const std::string size = std::to_string(op.width) + "x" + std::to_string(op.height);
    switch (op.kind) {
      case DrawOp::Begin: lines.push_back("begin " + std::to_string(op.value)); break;
      case DrawOp::End: lines.push_back("end"); break;
      case DrawOp::Fill:
        lines.push_back("fill " + at + " " + size + " " + Colour(op.colour));
        break;
      case DrawOp::Mode:
        lines.push_back(op.value == static_cast<int>(DrawingMode::TransparentText)
                            ? "mode text"
                            : "mode images");
        break;
      case DrawOp::Font: lines.push_back("font " + std::to_string(op.value)); break;
      case DrawOp::Text:
        if (!op.text.empty())
          lines.push_back("text " + at + " " + Colour(op.colour) + " " + op.text);
        break;
      case DrawOp::Image:
        lines.push_back("image " + std::to_string(op.value) + " " + at + " " + size);
        break;
    }
  }
  return lines;
}

// The expected lines, spelled as the picture is described.
std::string Begin() { return "begin " + std::to_string(kOverlayCanvas); }
std::string KeyFill(int w, int h) {
  return "fill 0,0 " + std::to_string(w) + "x" + std::to_string(h) + " rgb(0,255,0)";
}
const std::string kTextMode = "mode text";
const std::string kImageMode = "mode images";
std::string Font() { return "font " + std::to_string(kFontSlot); }
std::string Flag(int slot, int x, int y) {
  return "image " + std::to_string(slot) + " " + std::to_string(x) + "," + std::to_string(y) +
         " 30x30";
}
std::string Line(int x, int y, const Text& text) {
  return "text " + std::to_string(x) + "," + std::to_string(y) + " " + Colour(kTextColour) + " " +
         text;
}
const std::string kEnd = "end";

// With the fake's metrics (10 px a byte, 37 px a line):
const Text kEnglish300 = "I told you, I was at the pub!!";  // 30 bytes, 300 px
const Text kFrench400 = "Je te l'ai dit, j'etais au pub, voila...";  // 40 bytes, 400 px
const Text kWide1000(100, 'W');  // wider than any canvas below

struct OverlayCase {
  const char* name;
  int width, height;
  std::int32_t mode;
  Text english, french;
  std::vector<std::string> picture;
};

void PrintTo(const OverlayCase& c, std::ostream* os) { *os << c.name; }

class OverlayLayout : public testing::TestWithParam<OverlayCase> {};

TEST_P(OverlayLayout, PaintsTheBand) {
  const OverlayCase& c = GetParam();
  FakeToolkit ui;
  // The window's size is deliberately not the canvas's: the canvas decides.
  ui.OpenWindow(kOverlayWindow, 0, 0, 1, 1, "", kBorderless, kPlaybackWindow);
  ui.CreateCanvas(kOverlayCanvas, 0, 0, c.width, c.height, false);
  ProgramState state;
  state.toolkit = &ui;
  state.displayMode = c.mode;
  state.overlayFontSlot = kFontSlot;
  state.overlayTextColour = kTextColour;
  state.currentLine = c.english;
  state.translatedLine = c.french;

  DrawOverlay(state);

  EXPECT_EQ(Picture(ui.drawOps), c.picture);
  EXPECT_EQ(state.currentLine, c.english);
  EXPECT_EQ(state.translatedLine, c.french);
}

const std::vector<std::string> kOnlyKeyColour = {Begin(), KeyFill(810, 150), kTextMode, Font(),
                                                 kEnd};

INSTANTIATE_TEST_SUITE_P(
    Cases, OverlayLayout,
    testing::Values(
        // 810/2 - 300/2 = 255, 150/2 - 37/2 = 57; the translation is not shown.
        OverlayCase{"PlayingCentresTheLineWithoutFlag", 810, 150, 1, kEnglish300, kFrench400,
                    {Begin(), KeyFill(810, 150), kTextMode, Font(), Line(255, 57, kEnglish300),
                     kEnd}},
        OverlayCase{"PlayingWithEmptyLineIsAllKeyColour", 810, 150, 1, "", kFrench400,
                    kOnlyKeyColour},
        // The pair: 75 - (37 + 37)/2 = 38, then 38 + 37 + 5 = 80; flags 40 px left.
        OverlayCase{"PausedShowsBothLinesWithFlags", 810, 150, 2, kEnglish300, kFrench400,
                    {Begin(), KeyFill(810, 150), kTextMode, Font(),
                     kImageMode, Flag(0, 215, 38), kTextMode, Line(255, 38, kEnglish300),
                     kImageMode, Flag(1, 165, 80), kTextMode, Line(205, 80, kFrench400), kEnd}},
        OverlayCase{"PausedWithoutTranslationKeepsTheEnglishHeight", 810, 150, 2, kEnglish300, "",
                    {Begin(), KeyFill(810, 150), kTextMode, Font(),
                     kImageMode, Flag(0, 215, 57), kTextMode, Line(255, 57, kEnglish300), kEnd}},
        // 75 - 37/2 + 0 + 5 = 62: the gap is added even with no English line.
        OverlayCase{"PausedWithoutEnglishDrawsTheFrenchLineLower", 810, 150, 2, "", kFrench400,
                    {Begin(), KeyFill(810, 150), kTextMode, Font(),
                     kImageMode, Flag(1, 165, 62), kTextMode, Line(205, 62, kFrench400), kEnd}},
        OverlayCase{"PausedWithBothEmptyIsAllKeyColour", 810, 150, 2, "", "", kOnlyKeyColour},
        // 811/2 - 1000/2 = 405 - 500 = -95 (halving the difference would give -94).
        OverlayCase{"WideLineGetsNegativeX", 811, 150, 2, kWide1000, "",
                    {Begin(), KeyFill(811, 150), kTextMode, Font(),
                     kImageMode, Flag(0, -135, 57), kTextMode, Line(-95, 57, kWide1000), kEnd}},
        // The canvas's current size, whatever it was built with.
        OverlayCase{"OtherCanvasSize", 1920, 151, 1, kEnglish300, "",
                    {Begin(), KeyFill(1920, 151), kTextMode, Font(), Line(810, 57, kEnglish300),
                     kEnd}},
        OverlayCase{"ModeZeroIsAllKeyColour", 810, 150, 0, kEnglish300, kFrench400,
                    kOnlyKeyColour},
        OverlayCase{"ModeThreeIsAllKeyColour", 810, 150, 3, kEnglish300, kFrench400,
                    kOnlyKeyColour},
        OverlayCase{"NegativeModeIsAllKeyColour", 810, 150, -1, kEnglish300, kFrench400,
                    kOnlyKeyColour}),
    [](const testing::TestParamInfo<OverlayCase>& info) { return std::string(info.param.name); });

TEST(Overlay, DrawsNothingBeforeTheCanvasExists) {
  FakeToolkit ui;
  ProgramState state;
  state.toolkit = &ui;
  state.displayMode = 1;
  state.currentLine = kEnglish300;
  DrawOverlay(state);
  EXPECT_TRUE(ui.drawOps.empty());
}

}  // namespace
}  // namespace vokabino
