// The real program against the sensor simulator, set up as a user would run it: a working
// directory with OrvelAX9.ini, and the COM port mapped onto the simulator's device.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "ChildProcess.h"
#include "WindowCloser.h"

namespace fs = std::filesystem;

namespace {

const char StartCommand[] = "command: 82 E6 04 35 06 00 00 74 83";
const char WindowTitle[] = "Orvel KQ3 AX9";

class ProgramWithSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (scripts/test runs the tests under xvfb-run)";
    char pattern[] = "/tmp/orvelax9-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FRoot = pattern;
    fs::create_directories(FRoot / "work");
    fs::create_directories(FRoot / "config/orvelax9/dosdevices");
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
  }

  fs::path ComLink() const { return FRoot / "config/orvelax9/dosdevices/com1"; }

  void StartSimulator(std::vector<std::string> options) {
    options.insert(options.begin(), {ORVEL_SIM_BIN, "--link", ComLink().string()});
    FSimulator = std::make_unique<ChildProcess>(ChildProcess::Setup{
        options, "", {}, (FRoot / "sim.out").string(), (FRoot / "sim.err").string()});
    ASSERT_TRUE(WaitUntil([&] { return fs::is_symlink(ComLink()); }, 5000)) << "no link from the simulator";
  }

  // The leak checker of a sanitized build, told about the system libraries' own leaks.
  static std::string LeakOptions() {
    const char* own = std::getenv("LSAN_OPTIONS");
    const std::string supp = "suppressions=" ORVEL_SOURCE_DIR "/tests/e2e/lsan.supp";
    return own && *own ? std::string(own) + ":" + supp : supp;
  }

  void StartProgram() {
    std::ofstream(FRoot / "work/OrvelAX9.ini") << "1\n";
    FProgram = std::make_unique<ChildProcess>(
        ChildProcess::Setup{{ORVEL_BIN},
                            (FRoot / "work").string(),
                            {{"XDG_CONFIG_HOME", (FRoot / "config").string()},
                             {"LSAN_OPTIONS", LeakOptions()},
                             // The plain X11 framebuffer: the GL one loads a driver whose leaks
                             // the leak checker can no longer name once it is unloaded.
                             {"SDL_FRAMEBUFFER_ACCELERATION", "0"}},
                            (FRoot / "program.out").string(),
                            (FRoot / "program.err").string()});
  }

  std::string SimulatorLog() const { return ReadFile(FRoot / "sim.err"); }
  int StartCommandsSeen() const { return CountOf(SimulatorLog(), StartCommand); }

  unsigned long WaitForWindow() {
    unsigned long w = 0;
    WaitUntil([&] { return !FProgram->Running() || (w = FindWindow(FProgram->Pid(), WindowTitle)) != 0; }, 20000);
    return w;
  }

  // Closes the window as its close button would and expects a clean exit that closes the port.
  void CloseAndExpectCleanExit(unsigned long window) {
    ASSERT_TRUE(RequestWindowClose(window)) << "could not send the close request";
    if (!FProgram->WaitExit(10000)) {
      FProgram->Signal(SIGKILL);
      FAIL() << "the program did not end after its window was asked to close";
    }
    EXPECT_EQ(FProgram->ExitStatus(), 0);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "line closed") == 1; }, 3000))
        << "the port was not closed";
  }

  fs::path FRoot;
  std::unique_ptr<ChildProcess> FSimulator;
  std::unique_ptr<ChildProcess> FProgram;
};

TEST_F(ProgramWithSimulator, SendsTheStartCommandOnceAndRunsUntilItsWindowIsClosed) {
  StartSimulator({});
  StartProgram();
  const unsigned long window = WaitForWindow();
  ASSERT_NE(window, 0u) << "no window; program " << (FProgram->Running() ? "running" : "ended");
  EXPECT_TRUE(WaitUntil([&] { return CountOf(SimulatorLog(), "ack sent") == 1; }, 3000));

  // With data streaming in, it keeps running and does not ask again.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_TRUE(FProgram->Running());
  EXPECT_EQ(StartCommandsSeen(), 1);

  CloseAndExpectCleanExit(window);
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

}  // namespace
