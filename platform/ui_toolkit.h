#pragma once
// UiToolkit: numbered windows and widgets, timers, one event at a time with
// bound handlers, modal requesters, fonts, images and canvas drawing.
//
// Threading: every call comes from the one GUI thread; handlers run inside
// ProcessOneEvent (or inside a modal requester's own event handling).
// Units: pixels throughout; window x, y are screen coordinates, widget x, y are
// within the parent window's client area. Texts are Windows-1252 Text.
// Failure: operations on unknown numbers do nothing and give 0, false or the
// empty Text; nothing throws.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "text/text.h"

namespace vokabino {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kKeyColour{0, 255, 0};

// Window styles, combined with |.
enum WindowStyle : unsigned {
  kTitleBar = 1u << 0,     // with a close box
  kMaximiseBox = 1u << 1,
  kMaximised = 1u << 2,    // shown maximised
  kCentred = 1u << 3,      // centred on the screen
  kBorderless = 1u << 4,
  kHidden = 1u << 5,
};

inline constexpr int kNoOwner = -1;

enum class EventKind {
  Timer,        // a timer of a window expired; Event::timer holds its number
  Close,        // a window's close box
  LeftClick,    // left button released over the canvas it was pressed on
  MouseEnter,   // first movement after the pointer entered a canvas
  MouseMove,    // every further movement over the canvas
  KeyDown,      // every key press, auto-repeats included
  ButtonClick,  // one push-button click
  Other,        // anything else a bound widget receives (key up, other buttons...)
};

struct Event {
  EventKind kind = EventKind::Other;
  int window = -1;  // the window the event belongs to
  int widget = -1;  // -1 for window events (timer, close)
  int timer = -1;
  int x = 0, y = 0;  // pointer, in the widget's pixels
  int keyCode = 0;   // virtual key code (32 is space)
  bool autoRepeat = false;
};

using EventHandler = std::function<void(const Event&)>;

enum class DrawingMode { TransparentText, AlphaBlendedImages };

class UiToolkit {
 public:
  virtual ~UiToolkit() = default;

  // Connects to the display. False when no usable display is there.
  virtual bool Initialise() = 0;
  // The display check made at start-up: the primary screen has a usable size
  // and a colour depth of 15, 16, 24 or 32 bits.
  virtual bool DisplayUsable() = 0;

  // Windows. A window with an owner stays in front of it. New widgets go into
  // the newest window.
  virtual bool OpenWindow(int number, int x, int y, int clientWidth, int clientHeight,
                          const Text& title, unsigned style, int owner) = 0;
  // Closes the window with its widgets, bindings and pending events.
  virtual void CloseWindow(int number) = 0;
  virtual void SetWindowBackground(int number, Rgb colour) = 0;
  virtual int WindowClientWidth(int number) = 0;
  virtual int WindowClientHeight(int number) = 0;
  // y of the window's outer top edge, in screen pixels.
  virtual int WindowTop(int number) = 0;
  // Showing a hidden window activates it unless it was opened as an owned
  // window (owned windows never take activation or the keyboard focus).
  virtual void HideWindow(int number) = 0;
  virtual void ShowWindow(int number) = 0;
  virtual bool WindowVisible(int number) = 0;
  // Every pixel of exactly this colour becomes invisible and lets the pointer
  // through; every other pixel is opaque.
  virtual void SetColourKey(int number, Rgb key) = 0;

  // Timers repeat every ms milliseconds until the end; each expiry is one
  // Timer event of that window.
  virtual void StartTimer(int window, int timer, int ms) = 0;

  // Handles at most one pending event and never waits.
  virtual void ProcessOneEvent() = 0;
  virtual void BindTimers(int window, EventHandler handler) = 0;
  virtual void BindClose(int window, EventHandler handler) = 0;
  // All events of one widget.
  virtual void BindWidget(int widget, EventHandler handler) = 0;

  // Widgets. A canvas holds a retained picture; one never drawn on shows its
  // window's background (and stays invisible behind a native child). With the
  // keyboard option it takes the focus when a mouse button is pressed on it and
  // receives key events. Canvases created earlier lie in front of later ones
  // and receive the pointer over the place they share.
  virtual bool CreateCanvas(int number, int x, int y, int width, int height, bool keyboard) = 0;
  virtual bool CreateLabel(int number, int x, int y, int width, int height, const Text& text) = 0;
  virtual bool CreateTextField(int number, int x, int y, int width, int height, const Text& text) = 0;
  virtual bool CreateButton(int number, int x, int y, int width, int height, const Text& text) = 0;
  virtual Text WidgetText(int number) = 0;
  virtual void SetWidgetText(int number, const Text& text) = 0;
  virtual void GiveFocus(int number) = 0;
  virtual int WidgetWidth(int number) = 0;
  virtual int WidgetHeight(int number) = 0;
  // y of the widget's top within its window's client area.
  virtual int WidgetTop(int number) = 0;
  // The native window id of a canvas (X11 window), for embedding video; 0 on failure.
  virtual std::uintptr_t WidgetNativeHandle(int number) = 0;

  // Modal requesters.
  virtual void MessageBox(const Text& title, const Text& text) = 0;
  // pattern alternates names and file patterns split at "|"; index selects the
  // first entry shown (from 0). Gives the full path, or the empty Text when cancelled.
  virtual Text OpenFileRequester(const Text& title, const Text& initialPath,
                                 const Text& pattern, int index) = 0;

  // Drawing into a canvas's retained picture. EndDrawing shows it at once.
  virtual bool BeginDrawing(int canvas) = 0;
  virtual void EndDrawing() = 0;
  virtual void FillBox(int x, int y, int width, int height, Rgb colour) = 0;
  virtual void SetDrawingMode(DrawingMode mode) = 0;
  virtual void SelectFont(int slot) = 0;
  // Extent of a text in the selected font; 0 for the empty Text; the height of
  // any non-empty text is the font's line height.
  virtual int TextWidth(const Text& text) = 0;
  virtual int TextHeight(const Text& text) = 0;
  // x, y is the top-left corner of the text's extent; glyphs only, anti-aliased.
  virtual void DrawText(int x, int y, const Text& text, Rgb colour) = 0;
  // Cubic resampling of all four channels, then blended by the image's alpha.
  // An empty image slot draws nothing.
  virtual void DrawImageScaled(int slot, int x, int y, int width, int height) = 0;

  // points are typographic points at the screen's dpi.
  virtual bool LoadFont(int slot, const Text& face, int points, bool bold, bool highQuality) = 0;
  // Decodes a PNG held in memory into the slot; false (slot left empty) on failure.
  virtual bool DecodeImage(int slot, const std::uint8_t* png, std::size_t size) = 0;

  // Blocks the thread for ms milliseconds (1 ms resolution); handles no event.
  virtual void Wait(int ms) = 0;
  // Asks the system to show the mouse cursor; gives the cursor show counter
  // after the call (the cursor is visible while it is 0 or more).
  virtual int ShowCursor() = 0;

  // True once the system asked the program to end (SIGINT, SIGTERM). A modal
  // requester open at that moment is cancelled.
  virtual bool EndRequested() = 0;

  // Releases every window, font and image. Safe to call twice.
  virtual void ReleaseAll() = 0;
};

}  // namespace vokabino
