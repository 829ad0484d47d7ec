#pragma once
// A UiToolkit that needs no display: it keeps windows and widgets as plain
// records, queues scripted events and dispatches them one per
// ProcessOneEvent, answers requesters from a script, and records every
// message box and drawing operation.
//
// Text metrics are fixed so layouts can be computed by hand: every character
// is charWidth pixels wide and a non-empty text is lineHeight high.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_toolkit.h"

namespace vokabino {

struct FakeWindow {
  int x = 0, y = 0, width = 0, height = 0;
  Text title;
  unsigned style = 0;
  int owner = kNoOwner;
  bool visible = false;
  Rgb background{};
  std::optional<Rgb> colourKey;
  std::vector<int> widgets;
};

enum class FakeWidgetKind { Canvas, Label, TextField, Button };

struct FakeWidget {
  FakeWidgetKind kind = FakeWidgetKind::Canvas;
  int window = -1;
  int x = 0, y = 0, width = 0, height = 0;
  bool keyboard = false;
  Text text;
};

struct FakeTimer {
  int window, timer, ms;
};

// One drawing operation as recorded; fields unused by an operation stay default.
struct DrawOp {
  enum Kind { Begin, End, Fill, Mode, Font, Text, Image } kind;
  int x = 0, y = 0, width = 0, height = 0;
  Rgb colour{};
  int value = 0;  // canvas, font slot, image slot or drawing mode
  vokabino::Text text;
};

struct FakeRequester {
  Text title, initialPath, pattern;
  int index = 0;
};

struct FakeFont {
  Text face;
  int points = 0;
  bool bold = false, highQuality = false;
};

class FakeToolkit : public UiToolkit {
 public:
  // Every call that matters to ordering is appended here as a short line,
  // shared with the scripted player when both are given the same log.
  explicit FakeToolkit(std::vector<std::string>* log = nullptr) : log_(log) {}

  // --- script ---
  bool initialiseResult = true;
  bool displayUsable = true;
  std::deque<Text> requesterAnswers;  // popped per requester; empty Text = cancelled
  int charWidth = 10;
  int lineHeight = 37;
  bool endRequested = false;
  // Queues an event as the display would deliver it.
  void Deliver(const Event& event) { queue.push_back(event); }
  // Runs ProcessOneEvent until the queue is empty (bounded).
  void DrainEvents(int maxPasses = 1000);

  // --- records ---
  std::map<int, FakeWindow> windows;
  std::map<int, FakeWidget> widgets;
  std::vector<FakeTimer> timers;
  std::deque<Event> queue;
  std::vector<std::pair<Text, Text>> messageBoxes;  // title, text
  std::vector<FakeRequester> requesters;
  std::map<int, FakeFont> fonts;
  std::map<int, std::size_t> images;  // slot -> PNG byte count
  std::vector<DrawOp> drawOps;
  std::vector<int> waits;
  int focus = -1;
  int cursorCounter = 0;
  int releaseCount = 0;
  std::map<int, EventHandler> timerHandlers, closeHandlers, widgetHandlers;

  // UiToolkit
  bool Initialise() override;
  bool DisplayUsable() override;
  bool OpenWindow(int number, int x, int y, int clientWidth, int clientHeight, const Text& title,
                  unsigned style, int owner) override;
  void CloseWindow(int number) override;
  void SetWindowBackground(int number, Rgb colour) override;
  int WindowClientWidth(int number) override;
  int WindowClientHeight(int number) override;
  int WindowTop(int number) override;
  void HideWindow(int number) override;
  void ShowWindow(int number) override;
  bool WindowVisible(int number) override;
  void SetColourKey(int number, Rgb key) override;
  void StartTimer(int window, int timer, int ms) override;
  void ProcessOneEvent() override;
  void BindTimers(int window, EventHandler handler) override;
  void BindClose(int window, EventHandler handler) override;
  void BindWidget(int widget, EventHandler handler) override;
  bool CreateCanvas(int number, int x, int y, int width, int height, bool keyboard) override;
  bool CreateLabel(int number, int x, int y, int width, int height, const Text& text) override;
  bool CreateTextField(int number, int x, int y, int width, int height, const Text& text) override;
  bool CreateButton(int number, int x, int y, int width, int height, const Text& text) override;
  Text WidgetText(int number) override;
  void SetWidgetText(int number, const Text& text) override;
  void GiveFocus(int number) override;
  int WidgetWidth(int number) override;
  int WidgetHeight(int number) override;
  int WidgetTop(int number) override;
  std::uintptr_t WidgetNativeHandle(int number) override;
  void MessageBox(const Text& title, const Text& text) override;
  Text OpenFileRequester(const Text& title, const Text& initialPath, const Text& pattern,
                         int index) override;
  bool BeginDrawing(int canvas) override;
  void EndDrawing() override;
  void FillBox(int x, int y, int width, int height, Rgb colour) override;
  void SetDrawingMode(DrawingMode mode) override;
  void SelectFont(int slot) override;
  int TextWidth(const Text& text) override;
  int TextHeight(const Text& text) override;
  void DrawText(int x, int y, const Text& text, Rgb colour) override;
  void DrawImageScaled(int slot, int x, int y, int width, int height) override;
  bool LoadFont(int slot, const Text& face, int points, bool bold, bool highQuality) override;
  bool DecodeImage(int slot, const std::uint8_t* png, std::size_t size) override;
  void Wait(int ms) override;
  int ShowCursor() override;
  bool EndRequested() override;
  void ReleaseAll() override;

 private:
  void Log(const std::string& line) {
    if (log_) log_->push_back(line);
  }
  std::vector<std::string>* log_;
  std::vector<int> windowOrder_;
};

}  // namespace vokabino
