#include <gtest/gtest.h>

#include <algorithm>

#include "app/ending.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "tests/doubles/fake_toolkit.h"
#include "tests/doubles/scripted_player.h"

namespace vokabino {
namespace {

struct ProgramEnded {
  int status;
};

struct StartUpFixture : ::testing::Test {
  std::vector<std::string> log;
  FakeToolkit toolkit{&log};
  ScriptedPlayer player{&log};
  ProgramState state;
  StartUpFixture() {
    state.toolkit = &toolkit;
    state.player = &player;
    state.exitProcess = [](int status) { throw ProgramEnded{status}; };
  }
  std::ptrdiff_t LogIndex(const std::string& prefix) const {
    auto it = std::find_if(log.begin(), log.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    return it == log.end() ? -1 : it - log.begin();
  }
};

struct StartUpCase {
  const char* name;
  bool init, open, display;
  Text answer;  // what the video requester gives back
  bool started;
  std::vector<std::pair<Text, Text>> messages;
};

TEST_F(StartUpFixture, EachFailureEndsWithItsOwnMessageOrNone) {
  const std::vector<StartUpCase> cases = {
      {"all well", true, true, true, "/v/film.mp4", true, {}},
      {"requester cancelled", true, true, true, "", false, {}},
      {"player unavailable", false, true, true, "/v/film.mp4", false,
       {{"Error", "Can't initialize movie playback !"}}},
      {"file not a video", true, false, true, "/v/missing.mp4", false,
       {{"Error", "Can't load this movie's file"}}},
      {"display unusable", true, true, false, "/v/film.mp4", false,
       {{"Error", "Can't initialize directX !"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> caseLog;
    FakeToolkit tk(&caseLog);
    ScriptedPlayer pl(&caseLog);
    tk.displayUsable = c.display;
    tk.requesterAnswers = {c.answer};
    pl.initResult = c.init;
    pl.openResult = c.open;
    ProgramState st;
    st.toolkit = &tk;
    st.player = &pl;
    EXPECT_EQ(StartUp(st), c.started);
    EXPECT_EQ(tk.messageBoxes, c.messages);
    // A video once opened stays open (the ending releases it).
    EXPECT_EQ(st.video != 0, c.init && c.open && !c.answer.empty());
    // The requester is never shown when the player cannot start, and the
    // file is only opened when one was chosen.
    EXPECT_EQ(tk.requesters.size(), c.init ? 1u : 0u);
    EXPECT_EQ(pl.opened.size(), (c.init && !c.answer.empty()) ? 1u : 0u);
  }
}

TEST_F(StartUpFixture, VideoRequesterAsksWithItsTitleAndPattern) {
  toolkit.requesterAnswers = {"/v/film.avi"};
  ASSERT_TRUE(StartUp(state));
  ASSERT_EQ(toolkit.requesters.size(), 1u);
  const FakeRequester& r = toolkit.requesters[0];
  EXPECT_EQ(r.title, "Veuillez choisir le fichier vid\xE9o \xE0 ouvrir");
  EXPECT_EQ(r.initialPath, "");
  EXPECT_EQ(r.pattern, "Avi|*.avi;*.mpg;*.mp4|All Files|*.*");
  EXPECT_EQ(r.index, 0);
  EXPECT_EQ(player.opened, std::vector<Text>{"/v/film.avi"});
}

TEST_F(StartUpFixture, DisplayIsCheckedOnlyAfterTheVideoIsOpen) {
  toolkit.displayUsable = false;
  toolkit.requesterAnswers = {"/v/film.mp4"};
  EXPECT_FALSE(StartUp(state));
  const auto open = LogIndex("player.OpenVideo");
  const auto check = LogIndex("toolkit.DisplayUsable");
  const auto message = LogIndex("toolkit.MessageBox Error / Can't initialize directX !");
  ASSERT_GE(open, 0);
  EXPECT_LT(open, check);
  EXPECT_LT(check, message);
  // The video stays open for the ending to release.
  EXPECT_EQ(player.releaseCount, 0);
}

TEST_F(StartUpFixture, StateFontsAndImagesAreSetUp) {
  toolkit.requesterAnswers = {"/v/film.mp4"};
  ASSERT_TRUE(StartUp(state));
  EXPECT_EQ(state.displayMode, 1);
  EXPECT_EQ(state.overlayFontSlot, 6);
  EXPECT_EQ(state.overlayTextColour, (Rgb{255, 255, 255}));
  EXPECT_EQ(CurrentCue(state.cues), nullptr);
  EXPECT_TRUE(state.currentLine.empty());
  ASSERT_EQ(toolkit.fonts.size(), 11u);
  for (int slot = 0; slot <= 10; ++slot) {
    SCOPED_TRACE(slot);
    const FakeFont& f = toolkit.fonts.at(slot);
    EXPECT_EQ(f.face, "Arial");
    EXPECT_EQ(f.points, 12 + 2 * slot);
    EXPECT_TRUE(f.bold);
    EXPECT_TRUE(f.highQuality);
  }
  ASSERT_EQ(toolkit.images.size(), 2u);
  EXPECT_GT(toolkit.images.at(0), 0u);
  EXPECT_GT(toolkit.images.at(1), 0u);
  // Fonts and images come before anything is asked of the user.
  EXPECT_LT(LogIndex("player.InitPlayer"), LogIndex("toolkit.OpenFileRequester"));
}

TEST_F(StartUpFixture, EndingReleasesEverythingAndExitsWithZero) {
  toolkit.requesterAnswers = {"/v/film.mp4"};
  ASSERT_TRUE(StartUp(state));
  try {
    EndProgram(state);
    FAIL() << "EndProgram returned";
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.status, 0);
  }
  EXPECT_EQ(player.releaseCount, 1);
  EXPECT_EQ(toolkit.releaseCount, 1);
  EXPECT_LT(LogIndex("player.ReleaseAll"), LogIndex("toolkit.ReleaseAll"));
}

TEST_F(StartUpFixture, MainLoopHandlesOneEventPerPassAfterItsWait) {
  int handled = 0;
  toolkit.OpenWindow(0, 0, 0, 10, 10, "", 0, kNoOwner);
  toolkit.BindTimers(0, [&](const Event&) { ++handled; });
  Event tick;
  tick.kind = EventKind::Timer;
  tick.window = 0;
  toolkit.Deliver(tick);
  toolkit.Deliver(tick);
  RunMainLoopPass(state);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(toolkit.waits, std::vector<int>{5});
  RunMainLoopPass(state);
  EXPECT_EQ(handled, 2);
}

TEST_F(StartUpFixture, IdleFlagTurnsOnAfterFiveHundredQuietPasses) {
  for (int pass = 0; pass < 500; ++pass) RunMainLoopPass(state);
  EXPECT_FALSE(state.idleFlag);
  EXPECT_EQ(state.idleCount, 500);
  RunMainLoopPass(state);
  EXPECT_TRUE(state.idleFlag);
  EXPECT_EQ(state.idleCount, 0);
}

TEST_F(StartUpFixture, SystemRequestToEndEndsLikeAnyOtherWay) {
  toolkit.endRequested = true;
  try {
    RunMainLoop(state);
  } catch (const ProgramEnded& ended) {
    EXPECT_EQ(ended.status, 0);
  }
  EXPECT_EQ(toolkit.releaseCount, 1);
  EXPECT_EQ(player.releaseCount, 1);
}

}  // namespace
}  // namespace vokabino
