#include "player/playback_window.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "app/window_numbers.h"
#include "tests/doubles/fake_toolkit.h"
#include "tests/doubles/scripted_player.h"

namespace vokabino {
namespace {

// The fake opens windows at the size asked; a maximised playback window is
// simulated by resizing it as the window manager would, before it is read.
struct MaximisingToolkit : FakeToolkit {
  using FakeToolkit::FakeToolkit;
  bool OpenWindow(int number, int x, int y, int w, int h, const Text& title, unsigned style,
                  int owner) override {
    FakeToolkit::OpenWindow(number, x, y, w, h, title, style, owner);
    if (style & kMaximised) {
      windows[number].width = 1280;
      windows[number].height = 777;
    }
    return true;
  }
};

struct BuildFixture : ::testing::Test {
  std::vector<std::string> log;
  MaximisingToolkit toolkit{&log};
  ScriptedPlayer player{&log};
  ProgramState state;
  int ended = 0;
  void SetUp() override {
    state.toolkit = &toolkit;
    state.player = &player;
    InitialiseState(state);
    state.video = 1;
    BuildPlayer(state, [this] { ++ended; });
  }
};

TEST_F(BuildFixture, LaysOutWindowsCanvasesAndTimers) {
  const int W = 1280, H = 777;
  const FakeWindow& main = toolkit.windows.at(kPlaybackWindow);
  EXPECT_EQ(main.title, "Vokabino beta 1.0");
  EXPECT_EQ(main.style, kTitleBar | kMaximiseBox | kMaximised | kCentred);
  EXPECT_EQ(main.background, (Rgb{0, 0, 0}));
  EXPECT_EQ(std::vector<int>(player.rect, player.rect + 4), (std::vector<int>{0, 0, W, H}));

  struct Expected {
    int window, x, y, width, height, owner;
    unsigned style;
  };
  const Expected owned[] = {
      {kOverlayWindow, 0, H - 210, W, 150, kPlaybackWindow, kBorderless},
      {kProgressWindow, 0, H - 15, W, 40, kPlaybackWindow, kBorderless | kHidden},
  };
  for (const Expected& e : owned) {
    SCOPED_TRACE(e.window);
    const FakeWindow& w = toolkit.windows.at(e.window);
    EXPECT_EQ(std::tie(w.x, w.y, w.width, w.height, w.owner),
              std::tie(e.x, e.y, e.width, e.height, e.owner));
    EXPECT_EQ(w.style, e.style);
    EXPECT_EQ(w.colourKey, std::optional<Rgb>(kKeyColour));
    EXPECT_TRUE(w.title.empty());
  }
  EXPECT_FALSE(toolkit.windows.at(kProgressWindow).visible);

  struct Canvas {
    int number, window, width, height;
    bool keyboard;
  };
  const Canvas canvases[] = {{kInputCanvas, kPlaybackWindow, W, H, true},
                             {kVideoCanvas, kPlaybackWindow, W, H, false},
                             {kOverlayCanvas, kOverlayWindow, W, 150, false},
                             {kProgressCanvas, kProgressWindow, W, 40, true}};
  for (const Canvas& c : canvases) {
    SCOPED_TRACE(c.number);
    const FakeWidget& w = toolkit.widgets.at(c.number);
    EXPECT_EQ(std::tie(w.window, w.width, w.height, w.keyboard),
              std::tie(c.window, c.width, c.height, c.keyboard));
  }
  // The input canvas is created before the picture so that it lies in front.
  const auto& order = toolkit.windows.at(kPlaybackWindow).widgets;
  EXPECT_EQ(order, (std::vector<int>{kInputCanvas, kVideoCanvas}));

  EXPECT_EQ(player.playWindow, toolkit.WidgetNativeHandle(kVideoCanvas));
  ASSERT_EQ(toolkit.timers.size(), 2u);
  EXPECT_EQ(toolkit.timers[0].timer, kCueTimer);
  EXPECT_EQ(toolkit.timers[1].timer, kProgressTimer);
  for (const FakeTimer& t : toolkit.timers) {
    EXPECT_EQ(t.window, kPlaybackWindow);
    EXPECT_EQ(t.ms, 100);
  }
  // The picture has the keyboard focus from the start.
  EXPECT_EQ(toolkit.focus, kInputCanvas);
}

TEST_F(BuildFixture, OverlayStartsAllKeyColourAndTheCloseBoxEnds) {
  // The first drawing on the overlay canvas is a full key-colour fill and no
  // visible text (the line is still empty).
  bool sawOverlay = false;
  for (std::size_t i = 0; i < toolkit.drawOps.size(); ++i) {
    const DrawOp& op = toolkit.drawOps[i];
    if (op.kind != DrawOp::Begin || op.value != kOverlayCanvas) continue;
    sawOverlay = true;
    ASSERT_LT(i + 1, toolkit.drawOps.size());
    const DrawOp& fill = toolkit.drawOps[i + 1];
    EXPECT_EQ(fill.kind, DrawOp::Fill);
    EXPECT_EQ(std::make_tuple(fill.x, fill.y, fill.width, fill.height), std::make_tuple(0, 0, 1280, 150));
    EXPECT_EQ(fill.colour, kKeyColour);
    for (std::size_t j = i + 1; j < toolkit.drawOps.size() && toolkit.drawOps[j].kind != DrawOp::End; ++j)
      EXPECT_TRUE(toolkit.drawOps[j].kind != DrawOp::Text || toolkit.drawOps[j].text.empty());
    break;
  }
  EXPECT_TRUE(sawOverlay);
  Event close;
  close.kind = EventKind::Close;
  close.window = kPlaybackWindow;
  toolkit.Deliver(close);
  toolkit.ProcessOneEvent();
  EXPECT_EQ(ended, 1);
}

TEST_F(BuildFixture, TimerNumbersGoToTheirJobs) {
  // Timer 1 shows a due cue; timer 0 redraws the strip; others do nothing.
  Cue& cue = AddCue(state.cues);
  cue.start = 0;
  cue.end = 50'000'000;
  cue.text = "Hello";
  RewindCues(state.cues);
  NextCue(state.cues);
  player.position = 10'000'000;
  const auto drawsBefore = toolkit.drawOps.size();
  OnTimer(state, 7);
  EXPECT_EQ(toolkit.drawOps.size(), drawsBefore);
  EXPECT_EQ(state.currentLine, "");
  OnTimer(state, kCueTimer);
  EXPECT_EQ(state.currentLine, "Hello");
  const auto afterTick = toolkit.drawOps.size();
  OnTimer(state, kProgressTimer);
  ASSERT_GT(toolkit.drawOps.size(), afterTick);
  EXPECT_EQ(toolkit.drawOps[afterTick].kind, DrawOp::Begin);
  EXPECT_EQ(toolkit.drawOps[afterTick].value, kProgressCanvas);
}

}  // namespace
}  // namespace vokabino
