#include "subtitles/cue_scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "app/window_numbers.h"
#include "tests/doubles/fake_toolkit.h"
#include "tests/doubles/scripted_player.h"

namespace vokabino {
namespace {

constexpr std::size_t kNoCue = CueList::npos;
constexpr MediaTime kAlmostForever = std::numeric_limits<MediaTime>::max() - 1;

MediaTime Ms(std::int64_t ms) { return ms * (kTicksPerSecond / 1000); }

Cue CueAt(double startTicks, double endTicks, const Text& text) {
  return Cue{0, startTicks, endTicks, text};
}
Cue CueMs(std::int64_t startMs, std::int64_t endMs, const Text& text) {
  return CueAt(static_cast<double>(Ms(startMs)), static_cast<double>(Ms(endMs)), text);
}

// A player built and playing: the overlay canvas exists, so every redraw is
// recorded by the fake toolkit.
struct Player {
  FakeToolkit ui;
  ScriptedPlayer player;
  ProgramState state;

  explicit Player(std::vector<Cue> cues) {
    ui.OpenWindow(kOverlayWindow, 0, 0, 810, 150, "", kBorderless, kPlaybackWindow);
    ui.CreateCanvas(kOverlayCanvas, 0, 0, 810, 150, false);
    state.toolkit = &ui;
    state.player = &player;
    state.video = 1;
    state.displayMode = 1;
    state.cues.cues = std::move(cues);
    state.cues.cursor = state.cues.cues.empty() ? kNoCue : 0;  // as the loader leaves it
  }
  long Redraws() const {
    return std::count_if(ui.drawOps.begin(), ui.drawOps.end(),
                         [](const DrawOp& op) { return op.kind == DrawOp::Begin; });
  }
  Text LastDrawnText() const {
    for (auto op = ui.drawOps.rbegin(); op != ui.drawOps.rend(); ++op)
      if (op->kind == DrawOp::Text) return op->text;
    return "(none)";
  }
};

// One tick: the two PlaybackStatus readings it gets, and the state after it.
struct Tick {
  MediaTime first, second;
  std::size_t cursor;
  bool shown;
  Text line;
  bool redrawn;
};

struct TickCase {
  const char* name;
  std::vector<Cue> cues;
  std::vector<Tick> ticks;
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

class CueTicks : public testing::TestWithParam<TickCase> {};

TEST_P(CueTicks, FollowTheClock) {
  const TickCase& c = GetParam();
  Player p(c.cues);
  for (std::size_t i = 0; i < c.ticks.size(); ++i) {
    const Tick& t = c.ticks[i];
    SCOPED_TRACE("tick " + std::to_string(i + 1));
    p.player.statusScript = {t.first, t.second};
    const long redrawsBefore = p.Redraws();

    CueTick(p.state);

    EXPECT_TRUE(p.player.statusScript.empty()) << "both readings are taken";
    EXPECT_EQ(p.state.cues.cursor, t.cursor);
    EXPECT_EQ(p.state.cueShown, t.shown);
    EXPECT_EQ(p.state.currentLine, t.line);
    EXPECT_EQ(p.Redraws() - redrawsBefore, t.redrawn ? 1 : 0);
    if (t.redrawn) {
      EXPECT_EQ(p.LastDrawnText(), t.line);
    }
  }
}

const std::vector<Cue> kTwoCues = {CueMs(1000, 2000, "first"), CueMs(3000, 4000, "second")};

INSTANTIATE_TEST_SUITE_P(
    Cases, CueTicks,
    testing::Values(
        TickCase{"ShowAtStartPassAtEnd",
                 kTwoCues,
                 {{Ms(900), Ms(900), 0, false, "", false},
                  {Ms(1000), Ms(1000), 0, true, "first", true},  // exactly at the start
                  {Ms(1500), Ms(1500), 0, true, "first", false},
                  {Ms(2000), Ms(2000), 1, false, "first", false},  // the line stays on screen
                  {Ms(2900), Ms(2900), 1, false, "first", false},
                  {Ms(3050), Ms(3050), 1, true, "second", true}}},
        TickCase{"TwoCuesBetweenTicksTakeOneTickEach",
                 {CueMs(1000, 1100, "a"), CueMs(1200, 1300, "b"), CueMs(9000, 9500, "c")},
                 {{Ms(1400), Ms(1400), 1, false, "a", true},
                  {Ms(1500), Ms(1500), 2, false, "b", true},
                  {Ms(1600), Ms(1600), 2, false, "b", false}}},
        // The readings are separate: the end is checked against the second one.
        TickCase{"SecondReadingReachesTheEnd",
                 kTwoCues,
                 {{Ms(1999), Ms(2000), 1, false, "first", true}}},
        TickCase{"FirstReadingBeforeStartSecondAfterEnd",
                 kTwoCues,
                 {{Ms(900), Ms(2100), 1, false, "", false}}},
        TickCase{"PausedChangesNothing",
                 kTwoCues,
                 {{-1, -1, 0, false, "", false},
                  {Ms(1200), Ms(1200), 0, true, "first", true},
                  {-1, -1, 0, true, "first", false},
                  {-1, -1, 0, true, "first", false}}},
        TickCase{"StoppedReachesNoLaterCue",
                 kTwoCues,
                 {{0, 0, 0, false, "", false}, {0, 0, 0, false, "", false}}},
        TickCase{"StartZeroShownEvenWhileStopped",
                 {CueMs(0, 1000, "zero"), CueMs(3000, 4000, "later")},
                 {{0, 0, 0, true, "zero", true}}},
        TickCase{"EndZeroPassedAtOnce",
                 {CueMs(2000, 0, "no end"), CueMs(3000, 4000, "later")},
                 {{Ms(100), Ms(100), 1, false, "", false}}},
        TickCase{"EndZeroWhileStoppedIsPassed",
                 {CueMs(2000, 0, "no end"), CueMs(3000, 4000, "later")},
                 {{0, 0, 1, false, "", false}}},
        TickCase{"LastCueIsShownAgainEveryTick",
                 kTwoCues,
                 {{Ms(3500), Ms(3500), 1, false, "first", true},
                  {Ms(3600), Ms(3600), 1, true, "second", true},
                  {Ms(4000), Ms(4000), 1, false, "second", false},  // passed, cursor stays
                  {Ms(4100), Ms(4100), 1, false, "second", true},
                  {Ms(4200), Ms(4200), 1, false, "second", true}}},
        TickCase{"PausedAfterTheEndStopsTheRedraws",
                 {CueMs(1000, 2000, "only")},
                 {{Ms(2500), Ms(2500), 0, false, "only", true},
                  {-1, -1, 0, false, "only", false}}},
        // Half ticks round to the even neighbour: 11.5 becomes 12.
        TickCase{"TimesRoundToWholeTicks",
                 {CueAt(11.5, 1e9, "half")},
                 {{11, 11, 0, false, "", false}, {12, 12, 0, true, "half", true}}},
        // A malformed timing line can give times beyond 64 bits: never reached.
        TickCase{"TimesBeyondSixtyFourBitsAreNeverReached",
                 {CueAt(1e30, 2e30, "far")},
                 {{kAlmostForever, kAlmostForever, 0, false, "", false}}}),
    [](const testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

TEST(CueTick, EmptyListDoesNothing) {
  Player p({});
  p.state.currentLine = "from before";
  for (MediaTime reading : {MediaTime{0}, MediaTime{-1}, Ms(5000)}) {
    p.player.statusScript = {reading, reading};
    CueTick(p.state);
  }
  EXPECT_EQ(p.state.cues.cursor, kNoCue);
  EXPECT_FALSE(p.state.cueShown);
  EXPECT_EQ(p.state.currentLine, "from before");
  EXPECT_TRUE(p.ui.drawOps.empty());
}

// Cues start at 1 s, 3 s and 5 s, each lasting 1 s.
struct ResyncCase {
  const char* name;
  double position;
  std::size_t cursor;
};

void PrintTo(const ResyncCase& c, std::ostream* os) { *os << c.name; }

class Resync : public testing::TestWithParam<ResyncCase> {};

TEST_P(Resync, PutsTheCursorOnTheFirstCueNotYetStarted) {
  const ResyncCase& c = GetParam();
  Player p({CueMs(1000, 2000, "a"), CueMs(3000, 4000, "b"), CueMs(5000, 6000, "c")});
  // Wherever the cursor stood before, with a line on screen.
  p.state.cues.cursor = 1;
  p.state.cueShown = true;
  p.state.currentLine = "b";

  ResyncCues(p.state, c.position);

  EXPECT_EQ(p.state.cues.cursor, c.cursor);
  EXPECT_FALSE(p.state.cueShown);
  EXPECT_EQ(p.state.currentLine, "b");
  EXPECT_TRUE(p.ui.drawOps.empty());
  EXPECT_EQ(p.player.statusReads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Resync,
    testing::Values(ResyncCase{"BeforeEverything", 0, 0},
                    ResyncCase{"ExactlyAtAStart", static_cast<double>(Ms(1000)), 0},
                    ResyncCase{"InsideACueSkipsIt", static_cast<double>(Ms(1500)), 1},
                    ResyncCase{"BetweenCues", static_cast<double>(Ms(2500)), 1},
                    ResyncCase{"JustAfterAStart", static_cast<double>(Ms(3000)) + 1, 2},
                    ResyncCase{"ExactlyAtTheLastStart", static_cast<double>(Ms(5000)), 2},
                    ResyncCase{"PastTheLastStart", static_cast<double>(Ms(5500)), 2},
                    ResyncCase{"PastTheEnd", static_cast<double>(Ms(60000)), 2}),
    [](const testing::TestParamInfo<ResyncCase>& info) { return std::string(info.param.name); });

TEST(ResyncCues, EmptyListLeavesNoCue) {
  Player p({});
  p.state.cueShown = true;
  ResyncCues(p.state, static_cast<double>(Ms(1000)));
  EXPECT_EQ(p.state.cues.cursor, kNoCue);
  EXPECT_FALSE(p.state.cueShown);
}

// A seek past the last start: the last cue is shown at the next tick although
// its end has gone by, then the end-of-list repetition follows.
TEST(ResyncCues, SeekPastTheLastCueShowsItAtTheNextTick) {
  Player p({CueMs(1000, 2000, "a"), CueMs(3000, 4000, "b")});
  p.state.currentLine = "a";
  ResyncCues(p.state, static_cast<double>(Ms(10000)));
  EXPECT_EQ(p.state.currentLine, "a");

  p.player.statusScript = {Ms(10100), Ms(10100)};
  CueTick(p.state);
  EXPECT_EQ(p.state.currentLine, "b");
  EXPECT_EQ(p.state.cues.cursor, 1u);
  EXPECT_FALSE(p.state.cueShown);
  EXPECT_EQ(p.Redraws(), 1);
}

}  // namespace
}  // namespace vokabino
