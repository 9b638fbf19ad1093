// OrvelAX9.exe under Wine against the Linux sensor simulator, set up as a user would run it:
// a working folder with OrvelAX9.ini naming the port, and that COM port of the prefix
// mapped onto the simulator's pseudo-terminal (the rig's peer starts the simulator; the
// modem-line shim is preloaded into Wine). The tests share the suite's display: one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "../ReferenceWindow.h"
#include "WineDesktop.h"
#include "app/formAX9.h"
#include "platform/ui/Label.h"
#include "support/win32/SerialPeer.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int SigTerm = 15;
const char WindowTitle[] = "Orvel KQ3 AX9";
const char FormClass[] = "OrvelAX9Form";
const char BoxClass[] = "#32770";

uint64_t NowMs() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

// Polls `condition` every 20 ms until it holds or timeoutMs has passed.
template <class F>
bool WaitUntil(F condition, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int CountOf(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
  return n;
}

// The last match of `pattern` in the log, its groups as numbers.
std::vector<int> LastLogged(const std::string& log, const std::regex& pattern) {
  std::vector<int> values;
  for (std::sregex_iterator it(log.begin(), log.end(), pattern), end; it != end; ++it) {
    values.clear();
    for (size_t i = 1; i < it->size(); ++i) values.push_back(std::stoi((*it)[i].str()));
  }
  return values;
}

std::vector<uint8_t> AttitudeFrame(int roll, int pitch, int mode) {
  const auto r = uint16_t(roll), p = uint16_t(pitch);
  return {0x82, 0xFF, 0x0C, 0x37, 0x00, uint8_t(r), uint8_t(r >> 8), uint8_t(p), uint8_t(p >> 8),
          0, 0, 0, 0, 0, uint8_t(mode), 0, 0};
}
std::vector<uint8_t> HeadingFrame(int heading, int mode) {
  return {0x82, 0xFF, 0x03, 0x32, uint8_t(heading), uint8_t(heading >> 8), uint8_t(mode)};
}

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

  TWindowRef WaitForWindow(const char* cls = FormClass, const char* title = WindowTitle) {
    TWindowRef w = nullptr;
    WaitUntil([&] { return !FProgram->Running() || (w = FindProcessWindow(FProgram->Id(), cls, title)) != nullptr; },
              20000);
    return w;
  }

  // Whether the screen shows the reference's pixels everywhere outside `skip`; writes both
  // pictures beside the build when not.
  bool ScreenMatches(TWindowRef window, TReferenceWindow& ref, const std::vector<TRect>& skip, const char* name) {
    const std::vector<uint32_t> screen = ShownPixels(window, 0, 0, 256, 276), expected = ref.Pixels();
    if (screen.size() != expected.size()) return false;
    int wrong = 0;
    for (int y = 0; y < 276; ++y)
      for (int x = 0; x < 256; ++x) {
        bool skipped = false;
        for (const TRect& r : skip) skipped |= x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        wrong += !skipped && screen[size_t(y * 256 + x)] != expected[size_t(y * 256 + x)];
      }
    if (wrong == 0) return true;
    const std::string path = std::string(ORVEL_BUILD_DIR) + "/e2e-wine-" + name + ".png";
    ref.SaveComparison(screen, WindowsPath(path));
    ADD_FAILURE() << wrong << " pixels differ from the window this test paints (left) in " << path;
    return false;
  }

  // Whether the screen shows the photograph unchanged where an LED is placed.
  static bool LedHidden(TWindowRef window, TReferenceWindow& hiddenRef, const char* led) {
    const TRect r = ControlBounds(hiddenRef.Form(), led);
    const std::vector<uint32_t> screen = ShownPixels(window, r.Left, r.Top, r.Width(), r.Height());
    const std::vector<uint32_t> all = hiddenRef.Pixels();
    if (screen.empty()) return false;
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x)
        if (screen[size_t(y * r.Width() + x)] != all[size_t((r.Top + y) * 256 + r.Left + x)]) return false;
    return true;
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
  EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "ack sent") == 1; }, 3000));

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
  ASSERT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "sensor stopped") == 2; }, 5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  const std::string log = SimulatorLog();
  const auto att = LastLogged(log, std::regex(R"(attitude: roll (-?\d+) pitch (-?\d+) mode (\d+))"));
  const auto head = LastLogged(log, std::regex(R"(heading: (\d+) mode (\d+))"));
  ASSERT_EQ(att.size(), 3u);
  ASSERT_EQ(head.size(), 2u);
  TReferenceWindow ref;
  ref.Form().ComDisp->SetCaption("Com" + std::to_string(com));
  ref.Feed(AttitudeFrame(att[0], att[1], att[2]));
  ref.Feed(HeadingFrame(head[0], head[1]));
  EXPECT_TRUE(ScreenMatches(window, ref, {}, "readings"))
      << "roll " << att[0] << " pitch " << att[1] << " heading " << head[0];
  EXPECT_EQ(CountOf(SimulatorLog(), "command: 82 E6 04 35 06 00 00 74 83"), 1) << "asked once";

  CloseAndExpectCleanExit(window);
}

TEST_F(WineProgram, ASensorThatFallsSilentLosesItsLedWithin600ms) {
  const int com = StartSimulator({"--verbose", "--stop-attitude", "1.5"});
  StartProgram(std::to_string(com) + "\r\n");
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  TReferenceWindow hidden;
  hidden.Feed(HeadingFrame(0, 0));  // a window whose LEDs are hidden: the photograph shows

  int attitudeLines = 0;
  uint64_t lastAttitudeMs = 0;
  bool ledSeen = false;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string log = SimulatorLog();
        const int n = CountOf(log, "attitude: roll");
        if (n != attitudeLines) attitudeLines = n, lastAttitudeMs = NowMs();
        ledSeen |= n > 0 && !LedHidden(window, hidden, "BLedAX9");
        return CountOf(log, "attitude sensor stopped") == 1;
      },
      8000));
  ASSERT_TRUE(ledSeen) << "the AX-9 LED never showed while its data came";
  // Timed from the start of the screen read that finds the LED gone: on a loaded machine the
  // read itself can take longer than the LED's margin.
  uint64_t hiddenMs = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const uint64_t reading = NowMs();
        return LedHidden(window, hidden, "BLedAX9") && (hiddenMs = reading);
      },
      2000))
      << "the AX-9 LED stays";
  EXPECT_LT(hiddenMs - lastAttitudeMs, 600u) << "from the last attitude frame to the LED gone";
  EXPECT_FALSE(LedHidden(window, hidden, "BLedKQ3")) << "the KQ3 still sends";

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

  PressOk(box);
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window after the message";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  TReferenceWindow ref;
  const TRect ax9 = ControlBounds(ref.Form(), "BLedAX9"), kq3 = ControlBounds(ref.Form(), "BLedKQ3");
  EXPECT_TRUE(ScreenMatches(window, ref, {ax9, kq3}, "design-state"));
  TReferenceWindow hidden;
  hidden.Feed(HeadingFrame(0, 0));
  bool lit = false, dark = false;
  WaitUntil(
      [&] {
        const auto px = ShownPixels(window, ax9.Left, ax9.Top, ax9.Width(), ax9.Height());
        (std::count(px.begin(), px.end(), 0xFF0000u) > 0 ? lit : dark) = true;
        return lit && dark;
      },
      2000);
  EXPECT_TRUE(lit && dark) << "the AX-9 LED does not blink";
  EXPECT_FALSE(LedHidden(window, hidden, "BLedKQ3"));

  CloseAndExpectCleanExit(window, false);
}

// A logoff or shutdown may end the program as soon as its window has answered: the port is
// closed by then, by the component's own close (which pauses after it).
TEST_F(WineProgram, AnEndingSessionClosesThePortBeforeTheWindowAnswers) {
  const int com = StartSimulator({});
  StartProgram(std::to_string(com) + "\r\n");
  const TWindowRef window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "ack sent") == 1; }, 3000));

  const uint64_t asked = NowMs();
  ASSERT_TRUE(SendEndSession(window));
  const uint64_t answered = NowMs();
  EXPECT_GE(answered - asked, 250u) << "answered before the component's close had run";
  EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "line closed") == 1; }, 1000));
  ASSERT_TRUE(FProgram->WaitExit(10000));
  EXPECT_EQ(FProgram->ExitCode(), 0u);
}

}  // namespace
