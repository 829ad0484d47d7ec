// The Qt toolkit in a real X session (Xvfb with openbox): events, routing,
// colour keys, requesters.
#include "platform/qt_toolkit.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "tests/platform/x_session.h"

namespace vokabino {
namespace {

QtToolkit* gToolkit = nullptr;

struct QtEnvironment : ::testing::Environment {
  void SetUp() override {
    gToolkit = new QtToolkit;
    ASSERT_TRUE(gToolkit->Initialise()) << "no X display";
  }
  void TearDown() override {
    gToolkit->ReleaseAll();
    delete gToolkit;
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct QtToolkitTest : ::testing::Test {
  QtToolkit& tk = *gToolkit;
  std::vector<Event> seen;
  EventHandler Record() {
    return [this](const Event& e) { seen.push_back(e); };
  }
  void TearDown() override {
    for (int w : {10, 11, 12}) tk.CloseWindow(w);
    Pump(tk, std::chrono::milliseconds(50));
  }
  int Count(EventKind kind, int widget = -1) const {
    int n = 0;
    for (const Event& e : seen) n += e.kind == kind && (widget < 0 || e.widget == widget);
    return n;
  }
  QRgb ScreenPixel(int x, int y) {
    return QGuiApplication::primaryScreen()->grabWindow(0, x, y, 1, 1).toImage().pixel(0, 0);
  }
};

TEST_F(QtToolkitTest, TimersArriveAsEventsOneHandledPerPass) {
  ASSERT_TRUE(tk.OpenWindow(10, 0, 0, 100, 100, "timers", kBorderless | kHidden, kNoOwner));
  tk.BindTimers(10, Record());
  tk.StartTimer(10, 1, 20);
  tk.StartTimer(10, 0, 20);
  tk.Wait(120);
  // Both timers are due; each pass hands over at most one event.
  std::size_t before = seen.size();
  for (int pass = 0; pass < 20; ++pass) {
    tk.ProcessOneEvent();
    EXPECT_LE(seen.size(), before + 1);
    before = seen.size();
  }
  Pump(tk, std::chrono::milliseconds(200));
  EXPECT_GT(Count(EventKind::Timer), 4);
  bool sawZero = false, sawOne = false;
  for (const Event& e : seen) {
    EXPECT_EQ(e.window, 10);
    sawZero |= e.timer == 0;
    sawOne |= e.timer == 1;
  }
  EXPECT_TRUE(sawZero && sawOne);
}

TEST_F(QtToolkitTest, PointerGoesToTheFrontCanvasEvenOverANativeOne) {
  ASSERT_TRUE(tk.OpenWindow(10, 100, 100, 300, 200, "", kBorderless, kNoOwner));
  ASSERT_TRUE(tk.CreateCanvas(20, 0, 0, 300, 200, true));   // front, like the input canvas
  ASSERT_TRUE(tk.CreateCanvas(21, 0, 0, 300, 200, false));  // behind, hosting a native window
  EXPECT_NE(tk.WidgetNativeHandle(21), 0u);
  tk.BindWidget(20, Record());
  tk.BindWidget(21, Record());
  Pump(tk, std::chrono::milliseconds(300));
  // Warping the pointer in only enters; the next movement is the first one
  // reported, as entering, and the one after it is a move.
  // Qt merges movements that queue up, so the toolkit is pumped between them.
  for (const char* command : {"xdotool mousemove 150 150", "xdotool mousemove 160 170",
                              "xdotool mousemove 165 175", "xdotool click 1"}) {
    RunCommand(command);
    Pump(tk, std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(PumpUntil(tk, [&] { return Count(EventKind::LeftClick) > 0; }));
  EXPECT_EQ(Count(EventKind::LeftClick, 21), 0);
  EXPECT_EQ(Count(EventKind::MouseEnter, 20), 1);
  ASSERT_GE(Count(EventKind::MouseMove, 20), 1);
  const Event& click = seen.back();
  EXPECT_EQ(click.widget, 20);
  EXPECT_EQ(click.x, 65);
  EXPECT_EQ(click.y, 75);
  // The click gave the keyboard canvas the focus: keys reach it, auto-repeat or not.
  RunCommand("xdotool key space key a");
  ASSERT_TRUE(PumpUntil(tk, [&] { return Count(EventKind::KeyDown, 20) >= 2; }));
  std::vector<int> codes;
  for (const Event& e : seen)
    if (e.kind == EventKind::KeyDown) codes.push_back(e.keyCode);
  EXPECT_EQ(codes, (std::vector<int>{32, 65}));
}

TEST_F(QtToolkitTest, ColourKeyedWindowIsSeeThroughAndClickThroughAtKeyPixels) {
  ASSERT_TRUE(tk.OpenWindow(10, 0, 0, 400, 300, "", kBorderless, kNoOwner));
  ASSERT_TRUE(tk.CreateCanvas(20, 0, 0, 400, 300, true));
  tk.BindWidget(20, Record());
  ASSERT_TRUE(tk.BeginDrawing(20));
  tk.FillBox(0, 0, 400, 300, Rgb{200, 0, 0});
  tk.EndDrawing();
  ASSERT_TRUE(tk.OpenWindow(11, 50, 50, 200, 100, "", kBorderless | kHidden, 10));
  tk.SetColourKey(11, kKeyColour);
  ASSERT_TRUE(tk.CreateCanvas(21, 0, 0, 200, 100, false));
  tk.BindWidget(21, Record());
  ASSERT_TRUE(tk.BeginDrawing(21));
  tk.FillBox(0, 0, 200, 100, kKeyColour);
  tk.FillBox(0, 0, 100, 100, Rgb{255, 255, 255});
  tk.EndDrawing();
  tk.ShowWindow(11);
  Pump(tk, std::chrono::milliseconds(400));
  EXPECT_TRUE(tk.WindowVisible(11));
  EXPECT_EQ(tk.WindowTop(11), 50);
  EXPECT_EQ(ScreenPixel(100, 100) & 0xFFFFFF, 0xFFFFFFu);  // opaque part
  EXPECT_EQ(ScreenPixel(200, 100) & 0xFFFFFF, 0xC80000u);  // key pixels show what is below
  EXPECT_EQ(ScreenPixel(20, 20) & 0xFFFFFF, 0xC80000u);
  RunCommand("xdotool mousemove 200 100 click 1");
  ASSERT_TRUE(PumpUntil(tk, [&] { return Count(EventKind::LeftClick) >= 1; }));
  EXPECT_EQ(Count(EventKind::LeftClick, 20), 1);
  RunCommand("xdotool mousemove 80 100 click 1");
  ASSERT_TRUE(PumpUntil(tk, [&] { return Count(EventKind::LeftClick) >= 2; }));
  EXPECT_EQ(Count(EventKind::LeftClick, 21), 1);
  EXPECT_EQ(seen.back().x, 30);
  // All key colour: nothing of the window is left to see.
  ASSERT_TRUE(tk.BeginDrawing(21));
  tk.FillBox(0, 0, 200, 100, kKeyColour);
  tk.EndDrawing();
  Pump(tk, std::chrono::milliseconds(300));
  EXPECT_EQ(ScreenPixel(100, 100) & 0xFFFFFF, 0xC80000u);
}

TEST_F(QtToolkitTest, ClosingAWindowRaisesOnlyItsCloseEvent) {
  ASSERT_TRUE(tk.OpenWindow(10, 0, 0, 200, 100, "Fenetre", kTitleBar | kCentred, kNoOwner));
  tk.BindClose(10, Record());
  Pump(tk, std::chrono::milliseconds(300));
  // The window manager's close (alt+F4 under openbox) sends the close request.
  RunCommand("xdotool search --name '^Fenetre$' windowactivate --sync key alt+F4");
  ASSERT_TRUE(PumpUntil(tk, [&] { return Count(EventKind::Close) == 1; }));
  Pump(tk, std::chrono::milliseconds(100));
  EXPECT_TRUE(tk.WindowVisible(10));
  EXPECT_EQ(seen.back().window, 10);
}

TEST_F(QtToolkitTest, MessageBoxAndRequesterAreModalAndAnswerable) {
  const std::string dir = ::testing::TempDir();
  RunInBackground("xdotool search --sync --name '^Avis$' sleep 0.3 key Return");
  tk.MessageBox("Avis", "Texte \xE9t\xE9");  // returns once OK is pressed

  // A file that does not exist, in a folder that does, is accepted. Return
  // may first close the name completer's popup, so it is pressed until the
  // requester is gone.
  const std::string path = (dir.back() == '/' ? dir : dir + "/") + "absent-clip.mp4";
  RunInBackground("xdotool search --sync --name '^Choisir$' sleep 0.5 type --delay 5 '" + path +
                  "'; for i in 1 2 3; do sleep 0.5; xdotool search --name '^Choisir$' || break; "
                  "xdotool key Return; done");
  EXPECT_EQ(tk.OpenFileRequester("Choisir", "", "Avi|*.avi;*.mpg;*.mp4|All Files|*.*", 0), path);
  Pump(tk, std::chrono::milliseconds(1700));

  RunInBackground("xdotool search --sync --name '^Choisir$' sleep 0.5 key Escape");
  EXPECT_EQ(tk.OpenFileRequester("Choisir", "", "Sous-titre|*.srt", 0), "");
}

TEST_F(QtToolkitTest, TextMetricsFollowTheScreenDpi) {
  ASSERT_TRUE(tk.LoadFont(6, "Arial", 24, true, true));
  tk.SelectFont(6);
  // Liberation Sans Bold (metric twin of the face asked for) at 32 pixels.
  EXPECT_EQ(tk.TextHeight("Hello"), 36);
  EXPECT_EQ(tk.TextHeight(""), 0);
  EXPECT_EQ(tk.TextWidth(""), 0);
  EXPECT_GT(tk.TextWidth("Hello world"), tk.TextWidth("Hello"));
}

}  // namespace
}  // namespace vokabino
