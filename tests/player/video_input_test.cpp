#include "player/video_input.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "player_fixture.h"
#include "tests/translation/loopback_server.h"
#include "tests/translation/scratch_files.h"

namespace vokabino {
namespace {

using namespace std::chrono_literals;
using testing_support::LoopbackServer;
using testing_support::PlayerFixture;
using testing_support::ScratchFolder;
using State = ScriptedPlayer::State;

Event InputEvent(EventKind kind) {
  Event event;
  event.kind = kind;
  event.window = kPlaybackWindow;
  event.widget = kInputCanvas;
  return event;
}

Event Key(int code, bool autoRepeat = false) {
  Event event = InputEvent(EventKind::KeyDown);
  event.keyCode = code;
  event.autoRepeat = autoRepeat;
  return event;
}

Event PointerAt(EventKind kind, int y) {
  Event event = InputEvent(kind);
  event.x = 300;
  event.y = y;
  return event;
}

// A fixture whose translation requests go to host (a closed port by default,
// so every request fails at once) and whose scratch file stays private.
struct InputFixture : PlayerFixture {
  explicit InputFixture(const std::string& host = "127.0.0.1:" +
                                                  std::to_string(
                                                      testing_support::UnusedLoopbackPort())) {
    state.translation.host = host;
    state.translation.scratchPath = scratch.PathOf("teste.txt");
    state.translation.limits.connectTimeout = 2s;
    state.translation.limits.blockWait = 2s;
    state.translation.limits.exchangeTimeout = 5s;
    state.currentLine = "Hello";
    state.translatedLine = "Bonjour d'avant";
  }

  std::vector<Text> OverlayTexts() const {
    std::vector<Text> texts;
    for (const DrawOp& op : OpsOn(kOverlayCanvas))
      if (op.kind == DrawOp::Text) texts.push_back(op.text);
    return texts;
  }

  ScratchFolder scratch;
};

TEST(VideoInput, KeyTable) {
  struct Case {
    const char* name;
    State before;
    Event event;
    State after;
    int displayMode;
    Text translatedLine;
    std::vector<Text> overlay;  // the texts drawn; empty when nothing is redrawn
  };
  const Text kept = "Bonjour d'avant";
  Event spaceRelease = InputEvent(EventKind::Other);
  spaceRelease.keyCode = kSpaceKey;
  const Case cases[] = {
      {"space while playing, service down", State::Playing, Key(kSpaceKey), State::Paused, 2, "",
       {"Hello"}},
      {"auto-repeated space pauses too", State::Playing, Key(kSpaceKey, true), State::Paused, 2, "",
       {"Hello"}},
      {"space while paused", State::Paused, Key(kSpaceKey), State::Playing, 1, kept, {"Hello"}},
      {"auto-repeated space resumes too", State::Paused, Key(kSpaceKey, true), State::Playing, 1,
       kept, {"Hello"}},
      {"space while stopped", State::Stopped, Key(kSpaceKey), State::Stopped, 1, kept, {}},
      {"a letter", State::Playing, Key('A'), State::Playing, 1, kept, {}},
      {"return", State::Playing, Key(13), State::Playing, 1, kept, {}},
      {"shift", State::Playing, Key(16), State::Playing, 1, kept, {}},
      {"control", State::Paused, Key(17), State::Paused, 1, kept, {}},
      {"alt", State::Playing, Key(18), State::Playing, 1, kept, {}},
      {"space's release", State::Playing, spaceRelease, State::Playing, 1, kept, {}},
      {"click on the picture", State::Paused, PointerAt(EventKind::LeftClick, 100),
       State::Paused, 1, kept, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InputFixture f;
    f.Set(c.before, 10);
    OnInputEvent(f.state, c.event);
    EXPECT_EQ(f.player.state, c.after);
    EXPECT_EQ(f.state.displayMode, c.displayMode);
    EXPECT_EQ(f.state.translatedLine, c.translatedLine);
    EXPECT_EQ(f.OverlayTexts(), c.overlay);
    EXPECT_EQ(f.DrawingsOf(kOverlayCanvas), c.overlay.empty() ? 0 : 1);
  }
}

TEST(VideoInput, PauseShowsTheTranslationUnderTheEnglishLine) {
  const std::string body = "<translation>Bonjour</translation>";
  LoopbackServer server(
      {.steps = {{"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                      "\r\n\r\n" + body,
                  0ms}}});
  InputFixture f(server.Authority());
  f.Set(State::Playing, 10);

  OnInputEvent(f.state, Key(kSpaceKey));

  EXPECT_EQ(f.player.state, State::Paused);
  EXPECT_EQ(f.state.displayMode, 2);
  EXPECT_EQ(f.state.translatedLine, "Bonjour");
  EXPECT_EQ(f.OverlayTexts(), (std::vector<Text>{"Hello", "Bonjour"}));
  EXPECT_NE(server.FinishAndTakeRequest().find("text=Hello&"), std::string::npos);
}

TEST(VideoInput, HeldSpaceTogglesOnEveryRepeat) {
  InputFixture f;
  f.Set(State::Playing, 10);
  for (int i = 0; i < 3; ++i) OnInputEvent(f.state, Key(kSpaceKey, i > 0));
  EXPECT_EQ(f.player.pauses, 2);
  EXPECT_EQ(f.player.resumes, 1);
  EXPECT_EQ(f.player.state, State::Paused);
  EXPECT_EQ(f.state.displayMode, 2);
  EXPECT_EQ(f.DrawingsOf(kOverlayCanvas), 3);
}

TEST(VideoInput, MouseMoveShowsTheStripOnlyOnItsRows) {
  // The progress window's top edge is at screen y H - 15 = 585.
  struct Case {
    int y;
    const char* request;
  };
  const Case cases[] = {
      {585, "toolkit.ShowWindow 4"},
      {599, "toolkit.ShowWindow 4"},
      {584, "toolkit.HideWindow 4"},
      {0, "toolkit.HideWindow 4"},
  };
  for (bool visibleBefore : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE("y " + std::to_string(c.y) + (visibleBefore ? " shown" : " hidden"));
      InputFixture f;
      f.toolkit.windows[kProgressWindow].visible = visibleBefore;
      f.state.idleFlag = true;
      f.state.idleCount = 42;

      OnInputEvent(f.state, PointerAt(EventKind::MouseMove, c.y));
      OnInputEvent(f.state, PointerAt(EventKind::MouseMove, c.y));

      // Asked again on every move, whatever the window's state.
      EXPECT_EQ(f.log, (std::vector<std::string>{c.request, c.request}));
      EXPECT_EQ(f.toolkit.WindowVisible(kProgressWindow), c.y >= 585);
      EXPECT_EQ(f.state.pointerY, c.y);
      EXPECT_FALSE(f.state.idleFlag);
      EXPECT_EQ(f.state.idleCount, 0);
      EXPECT_EQ(f.toolkit.cursorCounter, 2);
    }
  }
}

TEST(VideoInput, FirstMovementAfterEnteringChangesNothing) {
  InputFixture f;
  f.state.pointerY = 7;
  f.state.idleFlag = true;
  f.state.idleCount = 42;

  OnInputEvent(f.state, PointerAt(EventKind::MouseEnter, 590));

  EXPECT_TRUE(f.log.empty());
  EXPECT_FALSE(f.toolkit.WindowVisible(kProgressWindow));
  EXPECT_EQ(f.state.pointerY, 7);
  EXPECT_TRUE(f.state.idleFlag);
  EXPECT_EQ(f.state.idleCount, 42);
  EXPECT_EQ(f.toolkit.cursorCounter, 0);

  OnInputEvent(f.state, PointerAt(EventKind::MouseMove, 590));
  EXPECT_TRUE(f.toolkit.WindowVisible(kProgressWindow));
  EXPECT_FALSE(f.state.idleFlag);
}

}  // namespace
}  // namespace vokabino
