// OrvelAX9.exe under Wine against the Linux sensor simulator, set up as a user would run it:
// a working folder with OrvelAX9.ini naming the port, and that COM port of the prefix
// mapped onto the simulator's pseudo-terminal (the rig's peer starts the simulator; the
// modem-line shim is preloaded into Wine). The tests share the suite's display: one at a time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WineDesktop.h"
#include "e2e/ScreenChecks.h"
#include "e2e/SimulatorLog.h"
#include "support/CountOf.h"
#include "support/WaitUntil.h"
#include "support/win32/SerialPeer.h"
#include "support/win32/WindowProbe.h"

namespace fs = std::filesystem;

namespace {

constexpr int SigTerm = 15;
const char WindowTitle[] = "Orvel KQ3 AX9";
const char FormClass[] = "OrvelAX9Form";
const char BoxClass[] = "#32770";

class WineProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FPeer.Ok()) << FPeer.Error();
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_TRUE(prefix && *prefix) << "runs under Wine, with WINEPREFIX set";
    FPrefix = prefix;
    FRoot = std::string(ORVEL_BUILD_DIR) + "/e2e/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(WindowsPath(FRoot));
    fs::create_directories(WindowsPath(FRoot + "/work"));
  }

  void TearDown() override {
    FProgram.reset();  // ended if still running
    for (const std::string& link : FLinks) EXPECT_TRUE(RunLinux({"/bin/rm", "-f", link}));
    if (FSimulatorPid > 0) {
      FPeer.Signal(FSimulatorPid, SigTerm);
      EXPECT_TRUE(WaitUntil([&] { return FPeer.Status(FSimulatorPid) != "running"; }, 3000));
      EXPECT_EQ(FPeer.Status(FSimulatorPid), "exited 0");
    }
    if (HasFailure())
      std::cerr << "--- simulator log\n" << SimulatorLog() << "---\n";
    else
      fs::remove_all(WindowsPath(FRoot));
  }

  // A short Linux command, run to its end; true when it succeeded.
  bool RunLinux(const std::vector<std::string>& argv) {
    const int pid = FPeer.Run(FRoot + "/command.log", argv);
    return pid > 0 && WaitUntil([&] { return FPeer.Status(pid) != "running"; }, 3000) &&
           FPeer.Status(pid) == "exited 0";
  }

  std::string ComLink(int com) const { return FPrefix + "/dosdevices/com" + std::to_string(com); }

  // The simulator on a COM port of its own; its number.
  int StartSimulator(std::vector<std::string> options) {
    const int com = FPeer.ReservePort();
    EXPECT_GT(com, 0) << FPeer.Error();
    options.insert(options.begin(), {ORVEL_SIM_BIN, "--link", ComLink(com)});
    FSimulatorPid = FPeer.Run(FRoot + "/sim.err", options);
    EXPECT_GT(FSimulatorPid, 0) << FPeer.Error();
    EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "sensors on") == 1; }, 5000)) << "the simulator is not up";
    return com;
  }

  void StartProgram(const std::string& ini) {
    ASSERT_TRUE(WriteWholeFile(WindowsPath(FRoot + "/work/OrvelAX9.ini"), ini));
    FProgram = std::make_unique<TWinProcess>(WindowsPath(ORVEL_BIN ".exe"), WindowsPath(FRoot + "/work"));
    ASSERT_TRUE(FProgram->Started());
  }

  std::string SimulatorLog() const { return ReadWholeFile(WindowsPath(FRoot + "/sim.err")); }
  TLogReader Log() const {
    return [this] { return SimulatorLog(); };
  }

  TWindowRef WaitForWindow(const char* cls = FormClass, const char* title = WindowTitle) {
    TWindowRef w = nullptr;
    WaitUntil([&] { return !FProgram->Running() || (w = FindProcessWindow(FProgram->Id(), cls, title)) != nullptr; },
              20000);
    return w;
  }

  static TScreenReader ScreenOf(TWindowRef window) {
    return [window](int x, int y, int w, int h) { return ShownPixels(window, x, y, w, h); };
  }
  // Where a screen check writes its pictures when it fails.
  static std::string Picture(const char* name) {
    return WindowsPath(std::string(ORVEL_BUILD_DIR) + "/e2e-wine-" + name + ".png");
  }

  void CloseAndExpectCleanExit(TWindowRef window, bool portOpen = true) {
    PostCloseCommand(window);
    ASSERT_TRUE(FProgram->WaitExit(10000)) << "the program did not end after its window was asked to close";
    EXPECT_EQ(FProgram->ExitCode(), 0u);
    if (!portOpen) return;
    EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "line closed") == 1; }, 3000))
        << "the port was not closed";
  }

  TSerialPeer FPeer;
  std::string FPrefix, FRoot;
  int FSimulatorPid = 0;
  std::vector<std::string> FLinks;  // made by the test in the shared prefix, removed after it
  std::unique_ptr<TWinProcess> FProgram;
};

TEST_F(WineProgram, OpensCentredWithItsFixedSizeShowsTheReadingsAndEndsWhenClosed) {
  const int com = StartSimulator({"--verbose", "--stop-attitude", "1", "--stop-heading", "1"});
  StartProgram(std::to_string(com) + "\r\n");
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "ack sent") >= 1; }, 3000));

  const TWindowPlace p = PlaceOf(window);
  EXPECT_EQ(p.ClientWidth, 256);
  EXPECT_EQ(p.ClientHeight, 276);
  EXPECT_EQ(p.WindowX, (p.ScreenWidth - p.WindowWidth) / 2) << "centred on the screen";
  EXPECT_EQ(p.WindowY, (p.ScreenHeight - p.WindowHeight) / 2);
  EXPECT_TRUE(p.ToolWindow);
  EXPECT_FALSE(p.SizingFrame);
  EXPECT_FALSE(p.MaximizeBox);
  EXPECT_FALSE(p.BorderResizes) << "the frame offers to change the size";

  // Once both sensors have stopped, the screen holds their last readings, LEDs gone.
  ExpectFinalReadingsShown(ScreenOf(window), Log(), "Com" + std::to_string(com), Picture("readings"));
  EXPECT_EQ(CountOf(SimulatorLog(), LoggedStartCommand), 1) << "asked once";

  CloseAndExpectCleanExit(window);
}

TEST_F(WineProgram, ASensorThatFallsSilentLosesItsLedWithin600ms) {
  const int com = StartSimulator({"--verbose", "--stop-attitude", "1.5"});
  StartProgram(std::to_string(com) + "\r\n");
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  ExpectSilentAttitudeLedGoneWithin600ms(ScreenOf(window), Log(), 8000);
  CloseAndExpectCleanExit(window);
}

TEST_F(WineProgram, AMissingDeviceIsReportedThenTheWindowShowsItsDesignState) {
  // COM9 names an adapter that is not plugged in: the link leads nowhere.
  const std::string com9 = ComLink(9);
  FLinks.push_back(com9);
  ASSERT_TRUE(RunLinux({"/bin/ln", "-sfn", FRoot + "/unplugged-adapter", com9})) << "COM9 not linked";
  StartProgram("9\r\n");
  const TWindowRef box = WaitForWindow(BoxClass, "OrvelAX9");
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(FindProcessWindow(FProgram->Id(), FormClass, WindowTitle), nullptr)
      << "the window shows only after the message";
  EXPECT_NE(DialogTexts(box).find("Specified device not found (\\\\.\\COM9)."), std::string::npos) << DialogTexts(box);

  AnswerMessageBox(box);
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window after the message";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ExpectDesignState(ScreenOf(window), Picture("design-state"));

  CloseAndExpectCleanExit(window, false);
}

// A logoff or shutdown may end the program as soon as its window has answered: the port is
// closed by then, by the component's own close (which pauses after it).
TEST_F(WineProgram, AnEndingSessionClosesThePortBeforeTheWindowAnswers) {
  const int com = StartSimulator({});
  StartProgram(std::to_string(com) + "\r\n");
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "ack sent") >= 1; }, 3000));

  const uint64_t asked = NowMs();
  ASSERT_TRUE(SendEndSession(window));
  const uint64_t answered = NowMs();
  EXPECT_GE(answered - asked, 250u) << "answered before the component's close had run";
  EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "line closed") == 1; }, 1000));
  ASSERT_TRUE(FProgram->WaitExit(10000));
  EXPECT_EQ(FProgram->ExitCode(), 0u);
}

}  // namespace
