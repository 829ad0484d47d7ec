#pragma once
// UiToolkit on Qt 6 Widgets, for X11 (xcb; XWayland on Wayland desktops).
//
// The toolkit owns the QApplication, every window and widget it creates, the
// fonts and the images. Qt's own event loop is never entered: ProcessOneEvent
// lets Qt handle what the display sent (painting, geometry, input), which an
// application-wide filter turns into the toolkit's own queue of Events, and
// then hands at most one of them to its bound handler.
//
// Pointer input is routed by the toolkit, not by Qt: over a place shared by
// several canvases of one window, the canvas created first receives it, even
// where a later canvas hosts a native video window.
//
// Colour-keyed windows get an X shape built from the non-key pixels of their
// canvases' pictures after each drawing.
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/rgba_image.h"
#include "platform/ui_toolkit.h"

class QApplication;
class QEvent;
class QObject;
class QPoint;
class QFont;
class QPainter;
class QSocketNotifier;
class QWidget;

namespace vokabino {

class QtCanvas;

class QtToolkit final : public UiToolkit {
 public:
  QtToolkit();
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

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

  // Called by the application-wide event filter; true when the event was taken.
  bool FilterEvent(QObject* target, QEvent* event);

 private:
  enum class WidgetKind { Canvas, Label, TextField, Button };
  struct WindowEntry {
    QWidget* widget = nullptr;
    int owner = kNoOwner;
    std::optional<Rgb> colourKey;
    std::vector<int> widgets;  // in creation order
  };
  struct WidgetEntry {
    int window = -1;
    WidgetKind kind = WidgetKind::Canvas;
    QWidget* widget = nullptr;
    QtCanvas* canvas = nullptr;  // for canvases
    bool keyboard = false;
  };

  WindowEntry* FindWindow(int number);
  WidgetEntry* FindWidget(int number);
  std::optional<int> WindowOf(const QWidget* widget) const;
  std::optional<int> FrontCanvasAt(int window, const QPoint& global);
  bool RoutePointer(int window, QEvent* event);
  bool RouteKey(QObject* target, QEvent* event);
  bool AddWidget(int number, WidgetKind kind, QWidget* widget, QtCanvas* canvas, bool keyboard);
  void Push(const Event& event);
  void Dispatch(const Event& event);
  void UpdateShape(int window);
  void SettleMaximised(QWidget* window);
  void PurgeWindow(int number);
  QWidget* DialogParent();

  std::unique_ptr<QApplication> app_;
  std::unique_ptr<QObject> filter_;
  std::unique_ptr<QSocketNotifier> signalNotifier_;
  std::map<int, WindowEntry> windows_;
  std::map<int, WidgetEntry> widgets_;
  std::vector<int> windowOrder_;  // opening order; the last is the newest
  std::deque<Event> queue_;
  std::map<int, EventHandler> timerHandlers_, closeHandlers_, widgetHandlers_;

  // Drawing: one canvas at a time.
  QtCanvas* drawingCanvas_ = nullptr;
  int drawingWidget_ = -1;
  std::unique_ptr<QPainter> painter_;
  DrawingMode mode_ = DrawingMode::TransparentText;
  int selectedFont_ = -1;
  std::map<int, std::unique_ptr<QFont>> fonts_;
  std::map<int, RgbaImage> images_;
  std::map<std::tuple<int, int, int>, RgbaImage> scaledImages_;

  // Pointer routing state.
  int hoveredCanvas_ = -1;
  int pressedCanvas_ = -1;
  int cursorCounter_ = 0;
  bool endRequested_ = false;
};

}  // namespace vokabino
