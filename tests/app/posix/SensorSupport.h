#pragma once
// The sensors played by the test on the master side of a pseudo-terminal, for the program's
// tests that go through the real serial component.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "app/AppTestSupport.h"
#include "platform/serial/SerialTestSupport.h"

// The two sensors as the test plays them: a thread on the master side that cuts the
// received bytes into command frames, notes when each came, and answers the n-th command
// (counting from 1) with what Reply gives for it.
class TSensorPlayer {
 public:
  using TReply = std::function<TBytes(int n)>;

  explicit TSensorPlayer(TReply reply = {}) : FReply(std::move(reply)) {
    FThread = std::thread([this] { Serve(); });
  }
  ~TSensorPlayer() {
    FStop = true;
    FThread.join();
  }

  bool Ok() const { return FPty.Ok(); }
  const std::string& DevicePath() const { return FPty.SlavePath(); }
  void Send(const TBytes& bytes) const { FPty.Send(std::string(bytes.begin(), bytes.end())); }

  std::vector<TBytes> Commands() const {
    std::lock_guard<std::mutex> g(FLock);
    return FCommands;
  }
  // Milliseconds of the tick at which each command was complete.
  std::vector<uint64_t> CommandTimes() const {
    std::lock_guard<std::mutex> g(FLock);
    return FTimes;
  }
  size_t CommandCount() const { return Commands().size(); }
  // Everything received so far, commands or not.
  TBytes Received() const {
    std::lock_guard<std::mutex> g(FLock);
    return FReceived;
  }

 private:
  void Serve() {
    TBytes frame;
    while (!FStop) {
      pollfd p{FPty.Master(), POLLIN, 0};
      if (poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) continue;
      uint8_t buf[512];
      const ssize_t n = read(FPty.Master(), buf, sizeof buf);
      if (n <= 0) continue;
      for (ssize_t i = 0; i < n; ++i) {
        {
          std::lock_guard<std::mutex> g(FLock);
          FReceived.push_back(buf[i]);
        }
        if (frame.empty() && buf[i] != 0x82) continue;
        frame.push_back(buf[i]);
        if (frame.size() < 3 || frame.size() < size_t(frame[2]) + 5) continue;
        int number;
        {
          std::lock_guard<std::mutex> g(FLock);
          FCommands.push_back(frame);
          FTimes.push_back(GetTickCount64());
          number = int(FCommands.size());
        }
        frame.clear();
        const TBytes answer = FReply ? FReply(number) : TBytes{};
        if (!answer.empty()) Send(answer);
      }
    }
  }

  const TReply FReply;
  TPtyPair FPty;
  std::atomic<bool> FStop{false};
  mutable std::mutex FLock;
  std::vector<TBytes> FCommands;
  std::vector<uint64_t> FTimes;
  TBytes FReceived;
  std::thread FThread;
};

// The window of TWindowTest with a sensor to open its port on.
class TSensorWindowTest : public TWindowTest {
 protected:
  // The port closes with the window, before the sensor's side of the line goes.
  void TearDown() override {
    FApp.reset();
    FSensor.reset();
    TWindowTest::TearDown();
  }

  // Starts the sensor and opens the window's port on its device.
  TSensorPlayer& OpenOnSensor(TSensorPlayer::TReply reply = {}) {
    FSensor = std::make_unique<TSensorPlayer>(std::move(reply));
    EXPECT_TRUE(FSensor->Ok());
    FForm->VaComm1->SetDeviceName(FSensor->DevicePath());
    FForm->VaComm1->Open();
    return *FSensor;
  }

  std::unique_ptr<TSensorPlayer> FSensor;
};

// The program's start as the entry runs it, headless: the configuration file in a working
// directory of the test's own, COM ports mapped onto the test's sensor, which acknowledges
// every command.
class TProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Link.Reset();
    DisplayState.Reset();
    DisplayClocks.Reset();
    char tmpl[] = "/tmp/orvel-startup-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    FWorkDir = tmpl;
    FOldDir = std::filesystem::current_path();
    std::filesystem::current_path(FWorkDir);
    FSensor = std::make_unique<TSensorPlayer>([this](int) { return FAnswering ? AckBytes : TBytes{}; });
    ASSERT_TRUE(FSensor->Ok());
  }

  void TearDown() override {
    FApp.reset();
    FSensor.reset();
    DisplayClocks.Reset();
    std::filesystem::current_path(FOldDir);
    std::filesystem::remove_all(FWorkDir);
  }

  // Runs the program's start: the application and its main window, as the entry does.
  void Start(std::optional<std::string> ini) {
    if (ini) std::ofstream(ConfigFileName) << *ini;
    auto backend = std::make_unique<THeadlessBackend>();
    FBackend = backend.get();
    FApp = std::make_unique<TApplication>(std::move(backend));
    TDeadline deadline(10000, "program start");
    FApp->CreateForm(frmAX9);
  }

  void MapCom(int n) { FDevices.Link("com" + std::to_string(n), FSensor->DevicePath()); }

  // The state the window design gives, which start-up leaves alone when it ends early.
  void ExpectDesignState() {
    EXPECT_EQ(frmAX9->ComDisp->Caption(), "");
    EXPECT_FALSE(frmAX9->VaComm1->IsOpen());
    EXPECT_TRUE(frmAX9->BLedAX9->Visible() && frmAX9->BLedAX9->EnableBlinking());
    EXPECT_TRUE(frmAX9->BLedKQ3->Visible() && frmAX9->BLedKQ3->EnableBlinking());
    EXPECT_TRUE(frmAX9->ModeAX9->Visible() && frmAX9->ModeKQ3->Visible());
    EXPECT_EQ(DisplayState.FreshWindow, 0.0);
  }

  std::atomic<bool> FAnswering{true};  // the sensor acknowledges commands
  TDosDevices FDevices;
  std::filesystem::path FWorkDir, FOldDir;
  std::unique_ptr<TSensorPlayer> FSensor;
  THeadlessBackend* FBackend = nullptr;
  std::unique_ptr<TApplication> FApp;
};
