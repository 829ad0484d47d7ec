#include "tests/doubles/fake_toolkit.h"

#include <algorithm>

namespace vokabino {

void FakeToolkit::DrainEvents(int maxPasses) {
  for (int i = 0; i < maxPasses && !queue.empty(); ++i) ProcessOneEvent();
}

bool FakeToolkit::Initialise() {
  Log("toolkit.Initialise");
  return initialiseResult;
}

bool FakeToolkit::DisplayUsable() {
  Log("toolkit.DisplayUsable");
  return displayUsable;
}

bool FakeToolkit::OpenWindow(int number, int x, int y, int clientWidth, int clientHeight,
                             const Text& title, unsigned style, int owner) {
  Log("toolkit.OpenWindow " + std::to_string(number));
  FakeWindow window;
  window.x = x;
  window.y = y;
  window.width = clientWidth;
  window.height = clientHeight;
  window.title = title;
  window.style = style;
  window.owner = owner;
  window.visible = !(style & kHidden);
  windows[number] = window;
  windowOrder_.push_back(number);
  return true;
}

void FakeToolkit::CloseWindow(int number) {
  Log("toolkit.CloseWindow " + std::to_string(number));
  auto it = windows.find(number);
  if (it == windows.end()) return;
  for (int widget : it->second.widgets) {
    widgets.erase(widget);
    widgetHandlers.erase(widget);
    std::erase_if(queue, [widget](const Event& e) { return e.widget == widget; });
  }
  std::erase_if(queue, [number](const Event& e) { return e.window == number; });
  std::erase_if(timers, [number](const FakeTimer& t) { return t.window == number; });
  timerHandlers.erase(number);
  closeHandlers.erase(number);
  windows.erase(it);
  std::erase(windowOrder_, number);
}

void FakeToolkit::SetWindowBackground(int number, Rgb colour) {
  if (windows.count(number)) windows[number].background = colour;
}
int FakeToolkit::WindowClientWidth(int number) {
  return windows.count(number) ? windows[number].width : 0;
}
int FakeToolkit::WindowClientHeight(int number) {
  return windows.count(number) ? windows[number].height : 0;
}
int FakeToolkit::WindowTop(int number) { return windows.count(number) ? windows[number].y : 0; }
void FakeToolkit::HideWindow(int number) {
  Log("toolkit.HideWindow " + std::to_string(number));
  if (windows.count(number)) windows[number].visible = false;
}
void FakeToolkit::ShowWindow(int number) {
  Log("toolkit.ShowWindow " + std::to_string(number));
  if (windows.count(number)) windows[number].visible = true;
}
bool FakeToolkit::WindowVisible(int number) {
  return windows.count(number) && windows[number].visible;
}
void FakeToolkit::SetColourKey(int number, Rgb key) {
  if (windows.count(number)) windows[number].colourKey = key;
}
void FakeToolkit::StartTimer(int window, int timer, int ms) {
  Log("toolkit.StartTimer " + std::to_string(timer));
  timers.push_back({window, timer, ms});
}

void FakeToolkit::ProcessOneEvent() {
  if (queue.empty()) return;
  const Event event = queue.front();
  queue.pop_front();
  std::map<int, EventHandler>* handlers = &widgetHandlers;
  int key = event.widget;
  if (event.kind == EventKind::Timer) {
    handlers = &timerHandlers;
    key = event.window;
  } else if (event.kind == EventKind::Close) {
    handlers = &closeHandlers;
    key = event.window;
  }
  auto it = handlers->find(key);
  if (it == handlers->end() || !it->second) return;
  const EventHandler handler = it->second;
  handler(event);
}

void FakeToolkit::BindTimers(int window, EventHandler handler) {
  timerHandlers[window] = std::move(handler);
}
void FakeToolkit::BindClose(int window, EventHandler handler) {
  closeHandlers[window] = std::move(handler);
}
void FakeToolkit::BindWidget(int widget, EventHandler handler) {
  widgetHandlers[widget] = std::move(handler);
}

namespace {
bool AddFakeWidget(std::map<int, FakeWindow>& windows, std::map<int, FakeWidget>& widgets,
                   const std::vector<int>& order, int number, FakeWidget widget) {
  if (order.empty() || widgets.count(number)) return false;
  widget.window = order.back();
  widgets[number] = widget;
  windows[order.back()].widgets.push_back(number);
  return true;
}
}  // namespace

bool FakeToolkit::CreateCanvas(int number, int x, int y, int width, int height, bool keyboard) {
  Log("toolkit.CreateCanvas " + std::to_string(number));
  return AddFakeWidget(windows, widgets, windowOrder_, number,
                       {FakeWidgetKind::Canvas, -1, x, y, width, height, keyboard, {}});
}
bool FakeToolkit::CreateLabel(int number, int x, int y, int width, int height, const Text& text) {
  return AddFakeWidget(windows, widgets, windowOrder_, number,
                       {FakeWidgetKind::Label, -1, x, y, width, height, false, text});
}
bool FakeToolkit::CreateTextField(int number, int x, int y, int width, int height,
                                  const Text& text) {
  return AddFakeWidget(windows, widgets, windowOrder_, number,
                       {FakeWidgetKind::TextField, -1, x, y, width, height, false, text});
}
bool FakeToolkit::CreateButton(int number, int x, int y, int width, int height, const Text& text) {
  return AddFakeWidget(windows, widgets, windowOrder_, number,
                       {FakeWidgetKind::Button, -1, x, y, width, height, false, text});
}
Text FakeToolkit::WidgetText(int number) {
  return widgets.count(number) ? widgets[number].text : Text();
}
void FakeToolkit::SetWidgetText(int number, const Text& text) {
  if (widgets.count(number)) widgets[number].text = text;
}
void FakeToolkit::GiveFocus(int number) {
  Log("toolkit.GiveFocus " + std::to_string(number));
  focus = number;
}
int FakeToolkit::WidgetWidth(int number) {
  return widgets.count(number) ? widgets[number].width : 0;
}
int FakeToolkit::WidgetHeight(int number) {
  return widgets.count(number) ? widgets[number].height : 0;
}
int FakeToolkit::WidgetTop(int number) { return widgets.count(number) ? widgets[number].y : 0; }
std::uintptr_t FakeToolkit::WidgetNativeHandle(int number) {
  return widgets.count(number) ? static_cast<std::uintptr_t>(0x1000 + number) : 0;
}

void FakeToolkit::MessageBox(const Text& title, const Text& text) {
  Log("toolkit.MessageBox " + title + " / " + text);
  messageBoxes.emplace_back(title, text);
}

Text FakeToolkit::OpenFileRequester(const Text& title, const Text& initialPath,
                                    const Text& pattern, int index) {
  Log("toolkit.OpenFileRequester " + title);
  requesters.push_back({title, initialPath, pattern, index});
  if (requesterAnswers.empty()) return {};
  Text answer = requesterAnswers.front();
  requesterAnswers.pop_front();
  return answer;
}

bool FakeToolkit::BeginDrawing(int canvas) {
  if (!widgets.count(canvas)) return false;
  drawOps.push_back({DrawOp::Begin, 0, 0, 0, 0, {}, canvas, {}});
  return true;
}
void FakeToolkit::EndDrawing() { drawOps.push_back({DrawOp::End, 0, 0, 0, 0, {}, 0, {}}); }
void FakeToolkit::FillBox(int x, int y, int width, int height, Rgb colour) {
  drawOps.push_back({DrawOp::Fill, x, y, width, height, colour, 0, {}});
}
void FakeToolkit::SetDrawingMode(DrawingMode mode) {
  drawOps.push_back({DrawOp::Mode, 0, 0, 0, 0, {}, static_cast<int>(mode), {}});
}
void FakeToolkit::SelectFont(int slot) {
  drawOps.push_back({DrawOp::Font, 0, 0, 0, 0, {}, slot, {}});
}
int FakeToolkit::TextWidth(const Text& text) {
  return static_cast<int>(text.size()) * charWidth;
}
int FakeToolkit::TextHeight(const Text& text) { return text.empty() ? 0 : lineHeight; }
void FakeToolkit::DrawText(int x, int y, const Text& text, Rgb colour) {
  drawOps.push_back({DrawOp::Text, x, y, TextWidth(text), TextHeight(text), colour, 0, text});
}
void FakeToolkit::DrawImageScaled(int slot, int x, int y, int width, int height) {
  drawOps.push_back({DrawOp::Image, x, y, width, height, {}, slot, {}});
}
bool FakeToolkit::LoadFont(int slot, const Text& face, int points, bool bold, bool highQuality) {
  fonts[slot] = {face, points, bold, highQuality};
  return true;
}
bool FakeToolkit::DecodeImage(int slot, const std::uint8_t* /*png*/, std::size_t size) {
  images[slot] = size;
  return size > 0;
}
void FakeToolkit::Wait(int ms) { waits.push_back(ms); }
int FakeToolkit::ShowCursor() { return ++cursorCounter; }
bool FakeToolkit::EndRequested() { return endRequested; }
void FakeToolkit::ReleaseAll() {
  Log("toolkit.ReleaseAll");
  ++releaseCount;
  windows.clear();
  widgets.clear();
  queue.clear();
}

}  // namespace vokabino
