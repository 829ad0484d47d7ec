#include "app/subtitle_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/startup.h"
#include "app/window_numbers.h"
#include "tests/doubles/fake_toolkit.h"
#include "tests/doubles/scripted_player.h"

namespace vokabino {
namespace {

struct ProgramEnded {
  int status;
};

struct DialogFixture : ::testing::Test {
  std::vector<std::string> log;
  FakeToolkit toolkit{&log};
  ScriptedPlayer player{&log};
  ProgramState state;
  std::filesystem::path dir;

  void SetUp() override {
    state.toolkit = &toolkit;
    state.player = &player;
    state.exitProcess = [](int status) { throw ProgramEnded{status}; };
    InitialiseState(state);
    state.video = 1;
    dir = std::filesystem::path(::testing::TempDir()) /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(dir);
    OpenSubtitleDialog(state);
  }
  void Click(int button) {
    Event e;
    e.kind = EventKind::ButtonClick;
    e.window = kSubtitleDialog;
    e.widget = button;
    toolkit.Deliver(e);
    toolkit.ProcessOneEvent();
  }
  bool EndsTheProgram(const std::function<void()>& action) {
    try {
      action();
    } catch (const ProgramEnded& ended) {
      return ended.status == 0;
    }
    return false;
  }
};

TEST_F(DialogFixture, OpensWithItsWidgetsOnTheGrid) {
  ASSERT_TRUE(toolkit.windows.count(kSubtitleDialog));
  const FakeWindow& w = toolkit.windows[kSubtitleDialog];
  EXPECT_EQ(w.title, "S\xE9lection des sous-titres");
  EXPECT_EQ(w.width, 440);
  EXPECT_EQ(w.height, 120);
  EXPECT_EQ(w.style, kTitleBar | kCentred);
  struct Expected {
    int number;
    FakeWidgetKind kind;
    int x, y, width, height;
    Text text;
  };
  const Expected widgets[] = {
      {11, FakeWidgetKind::Label, 10, 10, 380, 30, "Sous-titre Anglais"},
      {12, FakeWidgetKind::TextField, 10, 40, 380, 30, ""},
      {13, FakeWidgetKind::Button, 400, 40, 30, 30, "..."},
      {14, FakeWidgetKind::Button, 10, 80, 140, 30, "Valider"},
      {15, FakeWidgetKind::Button, 160, 80, 140, 30, "Annuler"},
  };
  for (const Expected& e : widgets) {
    SCOPED_TRACE(e.number);
    ASSERT_TRUE(toolkit.widgets.count(e.number));
    const FakeWidget& got = toolkit.widgets[e.number];
    EXPECT_EQ(got.kind, e.kind);
    EXPECT_EQ(std::tie(got.x, got.y, got.width, got.height),
              std::tie(e.x, e.y, e.width, e.height));
    EXPECT_EQ(got.text, e.text);
    EXPECT_EQ(got.window, kSubtitleDialog);
  }
}

TEST_F(DialogFixture, BrowseStartsEmptyAndKeepsATypedPathWhenCancelled) {
  toolkit.SetWidgetText(kDialogPathField, "/typed/by/hand.srt");
  toolkit.requesterAnswers = {"", "/chosen/film.srt"};
  Click(kDialogBrowseButton);
  EXPECT_EQ(toolkit.WidgetText(kDialogPathField), "/typed/by/hand.srt");
  Click(kDialogBrowseButton);
  EXPECT_EQ(toolkit.WidgetText(kDialogPathField), "/chosen/film.srt");
  ASSERT_EQ(toolkit.requesters.size(), 2u);
  for (const FakeRequester& r : toolkit.requesters) {
    EXPECT_EQ(r.title, "Veuillez choisir le sous-titre en Anglais");
    EXPECT_EQ(r.initialPath, "");
    EXPECT_EQ(r.pattern, "Sous-titre|*.srt");
    EXPECT_EQ(r.index, 0);
  }
}

TEST_F(DialogFixture, ConfirmWithAnEmptyFieldWarnsAndKeepsTheDialog) {
  Click(kDialogConfirmButton);
  ASSERT_EQ(toolkit.messageBoxes.size(), 1u);
  EXPECT_EQ(toolkit.messageBoxes[0],
            (std::pair<Text, Text>{"Sous-titre", "Vous n'avez choisi aucun sous-titre..."}));
  EXPECT_TRUE(toolkit.windows.count(kSubtitleDialog));
  EXPECT_FALSE(toolkit.windows.count(kPlaybackWindow));
  // It still works afterwards.
  toolkit.SetWidgetText(kDialogPathField, (dir / "none.srt").string());
  Click(kDialogConfirmButton);
  EXPECT_FALSE(toolkit.windows.count(kSubtitleDialog));
}

TEST_F(DialogFixture, ConfirmLoadsWhateverThePathIsThenBuildsThePlayer) {
  const auto srt = dir / "film.srt";
  std::ofstream(srt) << "1\r\n00:00:01,000 --> 00:00:02,500\r\nHello\r\n\r\n"
                        "2\r\n00:00:03,000 --> 00:00:04,000\r\nworld\r\n";
  struct Case {
    const char* name;
    Text path;
    std::size_t cues;
  };
  const Case cases[] = {
      {"a real file", srt.string(), 2},
      {"spaces only (not empty)", "   ", 0},
      {"a missing file", (dir / "missing.srt").string(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeToolkit tk;
    ScriptedPlayer pl;
    ProgramState st;
    st.toolkit = &tk;
    st.player = &pl;
    InitialiseState(st);
    st.video = 1;
    OpenSubtitleDialog(st);
    tk.SetWidgetText(kDialogPathField, c.path);
    Event click;
    click.kind = EventKind::ButtonClick;
    click.widget = kDialogConfirmButton;
    tk.Deliver(click);
    tk.ProcessOneEvent();
    EXPECT_TRUE(tk.messageBoxes.empty());
    EXPECT_EQ(st.cues.cues.size(), c.cues);
    EXPECT_FALSE(tk.windows.count(kSubtitleDialog));
    EXPECT_TRUE(tk.windows.count(kPlaybackWindow));
    EXPECT_EQ(pl.state, ScriptedPlayer::State::Playing);
  }
  EXPECT_EQ(state.cues.cues.size(), 0u);  // the fixture's own dialog was not used
}

TEST_F(DialogFixture, CancelAndCloseBoxEndTheProgram) {
  EXPECT_TRUE(EndsTheProgram([&] { Click(kDialogCancelButton); }));
  EXPECT_EQ(player.releaseCount, 1);
  // A fresh dialog for the close box.
  OpenSubtitleDialog(state);
  Event close;
  close.kind = EventKind::Close;
  close.window = kSubtitleDialog;
  toolkit.Deliver(close);
  EXPECT_TRUE(EndsTheProgram([&] { toolkit.ProcessOneEvent(); }));
}

}  // namespace
}  // namespace vokabino
