#include "player/progress_strip.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "player_fixture.h"
#include "subtitles/cue_list.h"

namespace vokabino {
namespace {

using testing_support::PlayerFixture;
using testing_support::PlayerLayout;
using State = ScriptedPlayer::State;

std::string Describe(const DrawOp& op) {
  switch (op.kind) {
    case DrawOp::Begin: return "begin " + std::to_string(op.value);
    case DrawOp::End: return "end";
    case DrawOp::Fill:
      return "fill " + std::to_string(op.x) + "," + std::to_string(op.y) + " " +
             std::to_string(op.width) + "x" + std::to_string(op.height) + " rgb(" +
             std::to_string(op.colour.r) + "," + std::to_string(op.colour.g) + "," +
             std::to_string(op.colour.b) + ")";
    default: return "other";
  }
}

std::vector<std::string> Describe(const std::vector<DrawOp>& ops) {
  std::vector<std::string> lines;
  for (const DrawOp& op : ops) lines.push_back(Describe(op));
  return lines;
}

// The strip on an 810-pixel canvas with the played part `filled` wide.
std::vector<std::string> StripWith(int filled) {
  std::vector<std::string> ops = {"begin 5", "fill 0,0 810x40 rgb(0,0,0)",
                                  "fill 5,5 800x10 rgb(176,196,222)"};
  if (filled > 0) ops.push_back("fill 5,5 " + std::to_string(filled) + "x10 rgb(255,0,0)");
  ops.push_back("fill " + std::to_string(filled - 4) + ",5 8x10 rgb(0,139,139)");
  ops.push_back("end");
  return ops;
}

Event LeftClickAt(int x, int y) {
  Event event;
  event.kind = EventKind::LeftClick;
  event.window = kProgressWindow;
  event.widget = kProgressCanvas;
  event.x = x;
  event.y = y;
  return event;
}

TEST(ProgressStrip, DrawsThePositionOfTheVideo) {
  struct Case {
    const char* name;
    std::int32_t frames;
    State state;
    double seconds;
    int filled;
  };
  const Case cases[] = {
      {"playing at 10 s", 2398, State::Playing, 10, 80},
      {"2.5 px rounds down to even", 2398, State::Playing, 0.3125, 2},
      {"3.5 px rounds up to even", 2398, State::Playing, 0.4375, 4},
      {"paused shows the paused position", 2398, State::Paused, 10, 80},
      {"stopped is empty, knob's right half at the start", 2398, State::Stopped, 10, 0},
      {"past the frame count's length fills the bar", 2398, State::Playing, 150, 800},
      {"unknown length stays empty", 0, State::Playing, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlayerFixture f(PlayerLayout{.frames = c.frames});
    BuildProgressStrip(f.state);
    f.Set(c.state, c.seconds);
    f.toolkit.drawOps.clear();
    RedrawProgressStrip(f.state);
    EXPECT_EQ(Describe(f.toolkit.drawOps), StripWith(c.filled));
  }
}

TEST(ProgressStrip, BuildFixesTheScaleDrawsAndBindsTheCanvas) {
  PlayerFixture f;
  BuildProgressStrip(f.state);
  EXPECT_DOUBLE_EQ(f.state.pixelsPerSecond, 8.0);
  EXPECT_EQ(Describe(f.OpsOn(kProgressCanvas)), StripWith(0));

  f.toolkit.Deliver(LeftClickAt(405, 5));
  f.toolkit.DrainEvents();
  EXPECT_EQ(f.player.seeks, std::vector<MediaTime>{50 * kTicksPerSecond});
  EXPECT_EQ(f.toolkit.focus, kInputCanvas);
}

TEST(ProgressStrip, UnknownLengthIgnoresClicksButGivesTheFocusBack) {
  PlayerFixture f(PlayerLayout{.frames = 0});
  BuildProgressStrip(f.state);
  EXPECT_EQ(f.state.pixelsPerSecond, 0.0);
  for (int x : {5, 405, 805}) OnProgressEvent(f.state, LeftClickAt(x, 5));
  EXPECT_TRUE(f.player.seeks.empty());
  EXPECT_EQ(f.player.pauses, 0);
  EXPECT_TRUE(f.toolkit.waits.empty());
  EXPECT_EQ(f.toolkit.focus, kInputCanvas);
}

TEST(ProgressStrip, ClickSeeksToTheMomentDrawnThereWithinTheBand) {
  struct Case {
    int canvasTop;
    int x, y;
    std::optional<MediaTime> target;  // nothing: the click is outside the band
  };
  const Case cases[] = {
      {0, 5, 5, 0},
      {0, 6, 0, 1'250'000},  // one pixel is 1/8 s
      {0, 405, 10, 50 * kTicksPerSecond},
      {0, 805, 5, 100 * kTicksPerSecond},
      {0, 4, 5, std::nullopt},
      {0, 806, 5, std::nullopt},
      {0, 405, -1, std::nullopt},
      {0, 405, 11, std::nullopt},
      {3, 405, 2, std::nullopt},
      {3, 405, 3, 50 * kTicksPerSecond},
      {3, 405, 13, 50 * kTicksPerSecond},
      {3, 405, 14, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("top " + std::to_string(c.canvasTop) + " x " + std::to_string(c.x) + " y " +
                 std::to_string(c.y));
    PlayerFixture f(PlayerLayout{.progressCanvasTop = c.canvasTop});
    BuildProgressStrip(f.state);
    f.Set(State::Playing, 70);
    f.log.clear();

    OnProgressEvent(f.state, LeftClickAt(c.x, c.y));

    std::vector<std::string> expected;
    if (c.target) {
      expected = {"player.Pause", "player.SeekTo " + std::to_string(*c.target), "player.Resume"};
      EXPECT_EQ(f.toolkit.waits, std::vector<int>{100});
    } else {
      EXPECT_TRUE(f.toolkit.waits.empty());
    }
    expected.push_back("toolkit.GiveFocus 6");
    EXPECT_EQ(f.log, expected);
  }
}

TEST(ProgressStrip, SeekFromPausedPlaysOnAndResyncsCuesAtTheNewPosition) {
  PlayerFixture f;
  for (double start : {10.0, 20.0, 30.0}) AddCue(f.state.cues).start = start * kTicksPerSecond;
  RewindCues(f.state.cues);
  NextCue(f.state.cues);
  f.state.cueShown = true;
  f.state.displayMode = 2;
  BuildProgressStrip(f.state);
  f.Set(State::Paused, 5);

  OnProgressEvent(f.state, LeftClickAt(5 + 8 * 25, 5));

  EXPECT_EQ(f.player.state, State::Playing);
  EXPECT_EQ(f.player.position, 25 * kTicksPerSecond);
  ASSERT_NE(CurrentCue(f.state.cues), nullptr);
  EXPECT_EQ(CurrentCue(f.state.cues)->start, 30.0 * kTicksPerSecond);
  EXPECT_FALSE(f.state.cueShown);
  EXPECT_EQ(f.state.displayMode, 2);  // only the space bar changes it
}

TEST(ProgressStrip, OnlyLeftClicksAct) {
  for (EventKind kind : {EventKind::MouseEnter, EventKind::MouseMove, EventKind::KeyDown,
                         EventKind::Other}) {
    SCOPED_TRACE(static_cast<int>(kind));
    PlayerFixture f;
    BuildProgressStrip(f.state);
    Event event = LeftClickAt(405, 5);
    event.kind = kind;
    event.keyCode = kSpaceKey;
    OnProgressEvent(f.state, event);
    EXPECT_TRUE(f.player.seeks.empty());
    EXPECT_EQ(f.player.pauses, 0);
    EXPECT_TRUE(f.toolkit.waits.empty());
    EXPECT_EQ(f.toolkit.focus, -1);
  }
}

}  // namespace
}  // namespace vokabino
