#include "subtitles/overlay_renderer.h"

#include "app/window_numbers.h"

namespace vokabino {

namespace {

constexpr int kFlagSize = 30;
constexpr int kFlagOffset = 40;  // flag's left edge from its line's left edge
constexpr int kLineGap = 5;      // between the English and the French line
constexpr int kEnglishFlag = 0;  // image slots filled at start-up
constexpr int kFrenchFlag = 1;

// Each half is taken on its own (truncating toward zero), so a line wider than
// the canvas lands one pixel differently than halving the difference would.
int CentredLeft(int canvasWidth, int textWidth) { return canvasWidth / 2 - textWidth / 2; }

// A non-empty line with its flag to the left, tops level. Leaves the drawing
// mode at transparent text.
void DrawFlaggedLine(ProgramState& state, int flagSlot, int x, int y, const Text& line) {
  if (line.empty()) return;
  UiToolkit& ui = *state.toolkit;
  ui.SetDrawingMode(DrawingMode::AlphaBlendedImages);
  ui.DrawImageScaled(flagSlot, x - kFlagOffset, y, kFlagSize, kFlagSize);
  ui.SetDrawingMode(DrawingMode::TransparentText);
  ui.DrawText(x, y, line, state.overlayTextColour);
}

void DrawPlayingLayout(ProgramState& state, int width, int height) {
  UiToolkit& ui = *state.toolkit;
  const Text& english = state.currentLine;
  const int x = CentredLeft(width, ui.TextWidth(english));
  const int y = height / 2 - ui.TextHeight(english) / 2;
  ui.DrawText(x, y, english, state.overlayTextColour);  // the empty line draws nothing
}

void DrawPausedLayout(ProgramState& state, int width, int height) {
  UiToolkit& ui = *state.toolkit;
  const Text& english = state.currentLine;
  const Text& french = state.translatedLine;
  const int englishHeight = ui.TextHeight(english);
  // The pair is centred without the gap between the lines.
  int y = height / 2 - (englishHeight + ui.TextHeight(french)) / 2;
  DrawFlaggedLine(state, kEnglishFlag, CentredLeft(width, ui.TextWidth(english)), y, english);
  y += englishHeight + kLineGap;
  DrawFlaggedLine(state, kFrenchFlag, CentredLeft(width, ui.TextWidth(french)), y, french);
}

}  // namespace

void DrawOverlay(ProgramState& state) {
  UiToolkit& ui = *state.toolkit;
  if (!ui.BeginDrawing(kOverlayCanvas)) return;  // no overlay built yet
  const int width = ui.WidgetWidth(kOverlayCanvas);
  const int height = ui.WidgetHeight(kOverlayCanvas);
  ui.FillBox(0, 0, width, height, kKeyColour);
  ui.SetDrawingMode(DrawingMode::TransparentText);
  ui.SelectFont(state.overlayFontSlot);
  switch (state.displayMode) {
    case 1: DrawPlayingLayout(state, width, height); break;
    case 2: DrawPausedLayout(state, width, height); break;
    default: break;  // no layout: the whole band stays transparent
  }
  ui.EndDrawing();
}

}  // namespace vokabino
