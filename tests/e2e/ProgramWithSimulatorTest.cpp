// The real program against the sensor simulator, set up as a user would run it: a working
// directory with OrvelAX9.ini, and the COM port mapped onto the simulator's device. Each test
// has an X server of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include "ChildProcess.h"
#include "DisplayProxy.h"
#include "ReferenceWindow.h"
#include "ScreenChecks.h"
#include "SimulatorLog.h"
#include "X11Client.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "support/CountOf.h"
#include "support/WaitUntil.h"
#include "support/XServer.h"

namespace fs = std::filesystem;

namespace {

const char WindowTitle[] = "Orvel KQ3 AX9";

// The programs under test: the build's own, or installed ones named in the environment
// (ORVEL_PROGRAM, ORVEL_SIMULATOR), so that an installation can be tried with the same tests.
std::string FromEnvironment(const char* name, const char* built) {
  const char* path = std::getenv(name);
  return path && *path ? path : built;
}
std::string ProgramPath() { return FromEnvironment("ORVEL_PROGRAM", ORVEL_BIN); }
std::string SimulatorPath() { return FromEnvironment("ORVEL_SIMULATOR", ORVEL_SIM_BIN); }

class ProgramWithSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    FDisplay = std::make_unique<TXServer>();
    if (!FDisplay->Available()) GTEST_SKIP() << "needs Xvfb or an X display";
    char pattern[] = "/tmp/orvelax9-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FRoot = pattern;
    fs::create_directories(FRoot / "work");
    fs::create_directories(DosDevices());
  }

  void TearDown() override {
    FProgram.reset();  // killed if still running
    if (FSimulator && FSimulator->Running()) {
      FSimulator->Signal(SIGTERM);
      EXPECT_TRUE(FSimulator->WaitExit(3000)) << "the simulator did not end on SIGTERM";
      EXPECT_EQ(FSimulator->ExitStatus(), 0);
      EXPECT_FALSE(fs::is_symlink(ComLink())) << "the simulator left its link behind";
    }
    FSimulator.reset();
    if (!FRoot.empty()) {
      if (HasFailure()) {
        std::cerr << "--- simulator log\n" << SimulatorLog() << "--- program output\n"
                  << ReadFile(FRoot / "program.err") << "---\n";
      }
      fs::remove_all(FRoot);
    }
    FDisplay.reset();
  }

  fs::path DosDevices() const { return FRoot / "config/orvelax9/dosdevices"; }
  fs::path ComLink() const { return DosDevices() / "com1"; }

  void StartSimulator(std::vector<std::string> options) {
    options.insert(options.begin(), {SimulatorPath(), "--link", ComLink().string()});
    FSimulator = std::make_unique<ChildProcess>(ChildProcess::Setup{
        options, "", {}, (FRoot / "sim.out").string(), (FRoot / "sim.err").string()});
    ASSERT_TRUE(WaitUntil([&] { return fs::is_symlink(ComLink()); }, 5000)) << "no link from the simulator";
  }

  // The leak checker of a sanitized build, told about the system libraries' own leaks.
  static std::string LeakOptions() {
    const char* own = std::getenv("LSAN_OPTIONS");
    const std::string supp = "print_suppressions=0:suppressions=" ORVEL_SOURCE_DIR "/tests/e2e/lsan.supp";
    return own && *own ? std::string(own) + ":" + supp : supp;
  }

  void StartProgram(const std::string& ini = "1\n", std::vector<std::string> unset = {}) {
    std::ofstream(FRoot / "work/OrvelAX9.ini") << ini;
    std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", (FRoot / "config").string()},
                                              {"LSAN_OPTIONS", LeakOptions()}};
    // The design's size unless a test sets the desktop's scale.
    if (FDesktopScale.empty())
      unset.push_back("GDK_SCALE");
    else
      env["GDK_SCALE"] = FDesktopScale;
    if (!FProgramDisplay.empty()) env["DISPLAY"] = FProgramDisplay;
    FProgram = std::make_unique<ChildProcess>(
        ChildProcess::Setup{{ProgramPath()},
                            (FRoot / "work").string(),
                            std::move(env),
                            (FRoot / "program.out").string(),
                            (FRoot / "program.err").string(),
                            std::move(unset)});
  }

  std::string SimulatorLog() const { return ReadFile(FRoot / "sim.err"); }
  TLogReader Log() const {
    return [this] { return SimulatorLog(); };
  }
  int StartCommandsSeen() const { return CountOf(SimulatorLog(), LoggedStartCommand); }
  // The sensors answered a start command. Usually once; an answer followed by a data frame
  // before the program looked counts as no answer there, and it asks again, so possibly more.
  bool Acknowledged() const { return CountOf(SimulatorLog(), "ack sent") >= 1; }

  unsigned long WaitForWindow(const char* title = WindowTitle) {
    unsigned long w = 0;
    WaitUntil([&] { return !FProgram->Running() || (w = FindWindow(FProgram->Pid(), title)) != 0; }, 20000);
    return w;
  }

  // The window's client area is width x height, centred on the screen, and its size hints
  // hold it at that size.
  static void ExpectCentredAtFixedSize(unsigned long window, int width, int height) {
    TWindowGeometry g;
    ASSERT_TRUE(GetWindowGeometry(window, g));
    EXPECT_EQ(g.Width, width);
    EXPECT_EQ(g.Height, height);
    EXPECT_EQ(g.X, (g.ScreenWidth - width) / 2);
    EXPECT_EQ(g.Y, (g.ScreenHeight - height) / 2);
    TSizeHints h;
    ASSERT_TRUE(GetSizeHints(window, h));
    EXPECT_EQ(h.MinWidth, width);
    EXPECT_EQ(h.MinHeight, height);
    EXPECT_EQ(h.MaxWidth, width) << "a window manager may widen it";
    EXPECT_EQ(h.MaxHeight, height);
  }

  static TScreenReader ScreenOf(unsigned long window) {
    return [window](int x, int y, int w, int h) { return ReadWindowPixels(window, x, y, w, h); };
  }
  // Where a screen check writes its pictures when it fails.
  static std::string Picture(const char* name) { return std::string(ORVEL_BUILD_DIR) + "/e2e-" + name + ".png"; }

  // Closes the window as its close button would and expects a clean exit that closes the
  // port, if it was open.
  void CloseAndExpectCleanExit(unsigned long window, bool portOpen = true) {
    ASSERT_TRUE(RequestWindowClose(window)) << "could not send the close request";
    if (!FProgram->WaitExit(10000)) {
      FProgram->Signal(SIGKILL);
      FAIL() << "the program did not end after its window was asked to close";
    }
    EXPECT_EQ(FProgram->ExitStatus(), 0);
    if (!portOpen) return;
    EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "line closed") == 1; }, 3000))
        << "the port was not closed";
  }

  // The program started against a streaming simulator, its window shown.
  unsigned long StartStreaming() {
    StartSimulator({});
    StartProgram();
    const unsigned long window = WaitForWindow();
    if (window == 0) return 0;
    if (!WaitUntil([&] { return Acknowledged(); }, 3000)) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // frames streaming
    return window;
  }

  // Follows the program to its end, after something asked it to end: when the simulator saw
  // the line close and when the program had ended (0: not within timeoutMs).
  struct TEnding {
    uint64_t Asked = NowMs();
    uint64_t LineClosed = 0;
    uint64_t Ended = 0;
  };
  TEnding FollowEnding(int timeoutMs) {
    TEnding e;
    while (FProgram->Running() && NowMs() - e.Asked < uint64_t(timeoutMs)) {
      if (!e.LineClosed && CountOf(SimulatorLog(), "line closed") == 1) e.LineClosed = NowMs();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (FProgram->WaitExit(100)) e.Ended = NowMs();
    return e;
  }

  // The port was closed by the serial component, which pauses after the close, and not by
  // the process's end.
  static void ExpectClosedByTheComponent(const TEnding& e) {
    ASSERT_NE(e.LineClosed, 0u) << "the line was still open when the program ended";
    EXPECT_GE(e.Ended - e.LineClosed, 200u) << "no pause after the port's close: not the component's close";
  }

  void EndSimulator() {
    FSimulator->Signal(SIGTERM);
    ASSERT_TRUE(FSimulator->WaitExit(3000));
    FSimulator.reset();
  }

  std::unique_ptr<TXServer> FDisplay;
  fs::path FRoot;
  std::unique_ptr<ChildProcess> FSimulator;
  std::unique_ptr<ChildProcess> FProgram;
  std::string FDesktopScale;  // GDK_SCALE for the program; empty: unset
  std::string FProgramDisplay;  // DISPLAY for the program; empty: the test's own
};

// Whether a message box shows `text` as its first line: painted in the framework's default
// font and button-text colour on the button face, its top-left corner 12 pixels in.
bool BoxShowsText(unsigned long box, const std::string& text) {
  constexpr int Margin = 12;
  TFont font;
  font.SetColor(clBtnText);
  TBitmap line(1, 1);
  TCanvas* c = line.Canvas();
  c->SetFont(&font);
  const int w = c->TextWidth(text), h = c->TextHeight("Ag");
  line.SetSize(w, h);
  c = line.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Rect(0, 0, w, h));
  c->SetFont(&font);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(0, 0, text);
  const std::vector<uint32_t> screen = ReadWindowPixels(box, Margin, Margin, w, h);
  if (screen.size() != size_t(w * h)) return false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (screen[size_t(y * w + x)] != line.ScanLine(y)[x]) return false;
  return true;
}

TEST_F(ProgramWithSimulator, OpensCentredWithItsFixedSizeAndRunsUntilItsWindowIsClosed) {
  StartSimulator({});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  EXPECT_TRUE(WaitUntil([&] { return Acknowledged(); }, 3000));
  const int asked = StartCommandsSeen();
  EXPECT_GE(asked, 1);

  ExpectCentredAtFixedSize(window, 256, 276);

  // With data streaming in, it keeps running and does not ask again.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(FProgram->Running());
  EXPECT_EQ(StartCommandsSeen(), asked);

  CloseAndExpectCleanExit(window);
}

// SIGTERM, SIGINT and SIGHUP ask the program to close, as its window's close button does:
// the port is closed by the component (which then pauses 300 ms), and the program ends within
// about a second with status 0. Killed by the signal instead, it would end at once with the
// line closed only by its end.
TEST_F(ProgramWithSimulator, TermIntAndHupCloseItAsItsWindowDoes) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    ASSERT_NE(StartStreaming(), 0u);

    FProgram->Signal(sig);
    const TEnding e = FollowEnding(15000);
    ASSERT_NE(e.Ended, 0u) << "still running 15 s after the signal";
    EXPECT_EQ(FProgram->ExitStatus(), 0);
    // The close within a second. The end follows it by the component's pause; the process's
    // own exit (a sanitized build checks for leaks) can take seconds on a loaded machine.
    EXPECT_LT(e.LineClosed - e.Asked, 1000u) << "the port closed late";
    EXPECT_LT(e.Ended - e.Asked, 5000u);
    ExpectClosedByTheComponent(e);

    EndSimulator();
    FProgram.reset();
  }
}

// When its X server goes away (the session ends, the server crashes) the program ends through
// its loop as a close does, so that the port is closed by its component; it says why on one
// line and ends with status 1. Xlib alone would end it from inside the call that noticed.
TEST_F(ProgramWithSimulator, ALostDisplayClosesThePortAndEndsItWithStatusOneAndOneLine) {
  for (int sig : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(strsignal(sig));
    ASSERT_NE(StartStreaming(), 0u);

    if (!FDisplay->Kill(sig)) GTEST_SKIP() << "needs an X server of its own (Xvfb)";
    const TEnding e = FollowEnding(15000);
    ASSERT_NE(e.Ended, 0u) << "still running 15 s after its display went";
    EXPECT_EQ(FProgram->ExitStatus(), 1);
    EXPECT_EQ(ReadFile(FRoot / "program.err"), "OrvelAX9: the display was lost\n");
    ExpectClosedByTheComponent(e);

    EndSimulator();
    FProgram.reset();
    FDisplay.reset();
    FDisplay = std::make_unique<TXServer>();
    ASSERT_TRUE(FDisplay->Available());
  }
}

// Another client destroying the window (`xdotool windowclose`) ends the program as a close of
// the window does: the port closed by its component, status 0, and no X error on the way.
TEST_F(ProgramWithSimulator, AWindowDestroyedFromOutsideEndsItAsACloseDoes) {
  const unsigned long window = StartStreaming();
  ASSERT_NE(window, 0u);

  ASSERT_TRUE(DestroyWindowFromOutside(window));
  const TEnding e = FollowEnding(15000);
  ASSERT_NE(e.Ended, 0u) << "still running 15 s after its window was destroyed";
  EXPECT_EQ(FProgram->ExitStatus(), 0);
  EXPECT_EQ(ReadFile(FRoot / "program.err"), "");
  ExpectClosedByTheComponent(e);
}

TEST_F(ProgramWithSimulator, WithoutAnAnswerTriesFiveTimesThenShowsTheWindow) {
  StartSimulator({"--no-answer"});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  // The window comes only after the last attempt has waited out its time.
  EXPECT_EQ(StartCommandsSeen(), 5);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(StartCommandsSeen(), 5);
  EXPECT_TRUE(FProgram->Running());

  CloseAndExpectCleanExit(window);
}

TEST_F(ProgramWithSimulator, TheScreenShowsTheLastReadingsTheSimulatorSent) {
  StartSimulator({"--verbose", "--stop-attitude", "1", "--stop-heading", "1"});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  ExpectFinalReadingsShown(ScreenOf(window), Log(), "Com1", Picture("readings"));
  CloseAndExpectCleanExit(window);
}

TEST_F(ProgramWithSimulator, ASensorThatFallsSilentLosesItsLedWithin600ms) {
  StartSimulator({"--verbose", "--stop-attitude", "1.5"});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u);
  ExpectSilentAttitudeLedGoneWithin600ms(ScreenOf(window), Log(), 6000);
  CloseAndExpectCleanExit(window);
}

TEST_F(ProgramWithSimulator, AMissingDeviceIsReportedThenTheWindowShowsItsDesignState) {
  StartSimulator({});
  fs::create_symlink(FRoot / "unplugged-adapter", DosDevices() / "com9");
  StartProgram("9\n");
  const unsigned long box = WaitForWindow("^OrvelAX9$");
  ASSERT_NE(box, 0u) << "no message box";
  EXPECT_EQ(FindWindow(FProgram->Pid(), WindowTitle), 0u) << "the window shows only after the message";
  EXPECT_TRUE(WaitUntil([&] { return BoxShowsText(box, "Specified device not found (COM9)."); }, 2000))
      << "the box does not show the message";

  // Return on the box as its OK button; the box is gone before xdotool is done with it.
  if (system(("xdotool key --window " + std::to_string(box) + " Return 2>/dev/null").c_str()) != 0) {
  }
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window after the message";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ExpectDesignState(ScreenOf(window), Picture("design-state"));
  EXPECT_EQ(CountOf(SimulatorLog(), "line opened"), 0) << "COM1 is not touched";

  CloseAndExpectCleanExit(window, false);
}

// On a desktop at 192 DPI the window is twice the design's size, and each of its pixels shows
// as a 2 x 2 block of what the window shows at the design's size.
TEST_F(ProgramWithSimulator, AtTwiceTheDesktopDpiEveryPixelIsATwoByTwoBlock) {
  if (!FDisplay->Own()) GTEST_SKIP() << "changes the X server's resources: needs Xvfb";
  ASSERT_EQ(system("echo 'Xft.dpi: 192' | xrdb -nocpp -merge"), 0) << "xrdb (x11-xserver-utils) is needed";
  StartSimulator({"--verbose", "--stop-attitude", "1", "--stop-heading", "1"});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  ExpectCentredAtFixedSize(window, 512, 552);

  const TLoggedReadings last = FinalReadings(Log());
  ASSERT_TRUE(last.Found) << "the sensors did not stop, or their readings were not logged";
  TReferenceWindow ref;
  ref.ShowReadings(last, "Com1");
  const std::vector<uint32_t> screen = ReadWindowPixels(window, 0, 0, 512, 552), expected = ref.Pixels();
  ASSERT_EQ(screen.size(), 4 * expected.size());
  std::vector<uint32_t> reduced(expected.size());
  int wrong = 0;
  for (int y = 0; y < 552; ++y)
    for (int x = 0; x < 512; ++x) {
      const uint32_t pixel = screen[size_t(y * 512 + x)];
      wrong += pixel != expected[size_t(y / 2 * 256 + x / 2)];
      if (x % 2 == 0 && y % 2 == 0) reduced[size_t(y / 2 * 256 + x / 2)] = pixel;
    }
  if (wrong) {
    const std::string path = Picture("scale2");
    ref.SaveComparison(reduced, path);
    ADD_FAILURE() << wrong << " screen pixels differ from the 2 x 2 blocks of the design-size window; every "
                  << "second pixel beside it in " << path;
  }
  CloseAndExpectCleanExit(window);
}

TEST_F(ProgramWithSimulator, WithGdkScale3TheWindowIsThreeTimesTheDesignsSize) {
  FDisplay.reset();  // one large enough for the window
  FDisplay = std::make_unique<TXServer>("1600x1200x24");
  if (!FDisplay->Own()) GTEST_SKIP() << "needs Xvfb for a screen of 1600 x 1200";
  FDesktopScale = "3";
  StartSimulator({});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  ExpectCentredAtFixedSize(window, 768, 828);
  CloseAndExpectCleanExit(window);
}

// The display going while a message box waits for its answer, before the window was ever
// created: the box gives up, and the program ends as it does for a display lost later.
TEST_F(ProgramWithSimulator, ADisplayLostUnderAMessageBoxEndsItWithStatusOne) {
  StartSimulator({});
  StartProgram("9\n");  // no COM9: a message box comes first
  ASSERT_NE(WaitForWindow("^OrvelAX9$"), 0u) << "no message box";

  if (!FDisplay->Kill(SIGKILL)) GTEST_SKIP() << "needs an X server of its own (Xvfb)";
  ASSERT_TRUE(FProgram->WaitExit(5000)) << "still running 5 s after its display went";
  EXPECT_EQ(FProgram->ExitStatus(), 1);
  EXPECT_EQ(ReadFile(FRoot / "program.err"), "OrvelAX9: the display was lost\n");
}

// A server that goes after sending events and before answering the program's next request:
// whichever call of the display library finds the connection broken (here the one that asks
// the name of a property a window manager changed on the root window) must not carry on with
// what it did not get. Under a message box, and with the window up.
TEST_F(ProgramWithSimulator, ADisplayGoneBeforeItsNextAnswerEndsItWithStatusOne) {
  if (!FDisplay->Own()) GTEST_SKIP() << "ends the X server's connections: needs Xvfb";
  for (const bool box : {true, false}) {
    SCOPED_TRACE(box ? "under a message box" : "with its window");
    TDisplayProxy proxy;
    ASSERT_TRUE(proxy.Available()) << "no port for the display's proxy";
    FProgramDisplay = proxy.Name();
    if (box) {
      StartSimulator({});
      StartProgram("9\n");  // no COM9: a message box comes first
      ASSERT_NE(WaitForWindow("^OrvelAX9$"), 0u) << "no message box";
    } else {
      // Both sensors silent and their LEDs out: nothing left to paint.
      StartSimulator({"--verbose", "--stop-attitude", "1", "--stop-heading", "1"});
      StartProgram();
      ASSERT_NE(WaitForWindow(), 0u) << "no window";
      ASSERT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "sensor stopped") == 2; }, 5000));
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    ASSERT_TRUE(proxy.WaitQuiet(300, 10000)) << "the program never stops talking to its display";

    proxy.BreakAtNextRequest();
    ASSERT_TRUE(SetRootProperty("_ORVELAX9_TEST_NOTE", "moved"));
    const TEnding e = FollowEnding(15000);
    ASSERT_NE(e.Ended, 0u) << "still running 15 s after its display went";
    EXPECT_TRUE(proxy.Broken());
    EXPECT_EQ(FProgram->ExitStatus(), 1);
    EXPECT_EQ(ReadFile(FRoot / "program.err"), "OrvelAX9: the display was lost\n");
    if (!box) ExpectClosedByTheComponent(e);

    EndSimulator();
    FProgram.reset();
  }
}

TEST_F(ProgramWithSimulator, WithoutADisplayItSaysSoOnOneLineAndEnds) {
  StartProgram("1\n", {"DISPLAY", "WAYLAND_DISPLAY"});
  ASSERT_TRUE(FProgram->WaitExit(10000)) << "the program runs without a display";
  EXPECT_EQ(FProgram->ExitStatus(), 1);
  const std::string err = ReadFile(FRoot / "program.err");
  EXPECT_EQ(CountOf(err, "\n"), 1) << err;
  EXPECT_NE(err.find("OrvelAX9"), std::string::npos) << err;
}

}  // namespace
