// The sensor simulator on its own: a test holds the device open the way a program does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "support/WaitUntil.h"

namespace fs = std::filesystem;

namespace {

// Seconds of processor time a process has used so far; negative when it cannot be read.
double CpuSeconds(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(stat.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

class SimulatorAlone : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvelax9-sim-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FRoot = pattern;
  }
  void TearDown() override {
    if (FDevice >= 0) close(FDevice);
    if (HasFailure()) std::cerr << "--- simulator log\n" << ReadFile(FRoot / "sim.err") << "---\n";
    FSimulator.reset();
    fs::remove_all(FRoot);
  }

  // Starts the simulator and opens its device; nothing is read from it unless the test does.
  void StartAndOpen(std::vector<std::string> options) {
    options.insert(options.begin(), {ORVEL_SIM_BIN, "--print-path"});
    FSimulator = std::make_unique<ChildProcess>(
        ChildProcess::Setup{options, "", {}, (FRoot / "sim.out").string(), (FRoot / "sim.err").string()});
    std::string path;
    ASSERT_TRUE(WaitUntil(
        [&] {
          path = ReadFile(FRoot / "sim.out");
          return path.find('\n') != std::string::npos;
        },
        5000))
        << "the simulator named no device";
    path.resize(path.find('\n'));
    FDevice = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(FDevice, 0) << path;
  }

  fs::path FRoot;
  std::unique_ptr<ChildProcess> FSimulator;
  int FDevice = -1;
};

// A program that stops reading (stopped, stuck, or slower than the line) lets the device's
// input fill up. The simulator then loses frames, but goes on serving its loop: it neither
// spins nor stops hearing its stop signal.
TEST_F(SimulatorAlone, AFullLineAtTheHighestRateNeitherSpinsNorHangs) {
  StartAndOpen({"--rate", "max", "--baud", "4000000", "--stream-at-once"});
  // At this pace the device's input is full well within the first second.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const double before = CpuSeconds(FSimulator->Pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const double used = CpuSeconds(FSimulator->Pid()) - before;
  ASSERT_GE(before, 0);
  EXPECT_LT(used, 0.5) << "the simulator keeps the processor busy while the line is full";

  FSimulator->Signal(SIGTERM);
  ASSERT_TRUE(FSimulator->WaitExit(3000)) << "the simulator did not end on SIGTERM";
  EXPECT_EQ(FSimulator->ExitStatus(), 0);
  EXPECT_NE(ReadFile(FRoot / "sim.err").find("frames lost to a full line"), std::string::npos);
}

}  // namespace
