#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// A display for the program under test that reaches the test's X server (DISPLAY, ":n")
// through this process, so that the test chooses the moment the server goes: once armed, the
// first bytes any client sends end every connection instead of reaching the server, as a
// server that died after sending its last events and before answering. Listens on TCP at
// 127.0.0.1 (the test's Xvfb listens on no port).
class TDisplayProxy {
 public:
  TDisplayProxy();
  ~TDisplayProxy();
  TDisplayProxy(const TDisplayProxy&) = delete;
  TDisplayProxy& operator=(const TDisplayProxy&) = delete;

  bool Available() const { return FListen >= 0; }
  // The DISPLAY value that leads here.
  std::string Name() const { return "127.0.0.1:" + std::to_string(FNumber); }

  void BreakAtNextRequest() { FArmed = true; }
  bool Broken() const { return FBroken; }

  // Waits until nothing has passed either way for QuietMs (the program is idle); false when
  // that did not happen within TimeoutMs.
  bool WaitQuiet(int QuietMs, int TimeoutMs) const;

 private:
  void Run();

  std::string FServerSocket;
  int FNumber = 0;
  int FListen = -1;
  int FStop[2] = {-1, -1};
  std::atomic<bool> FArmed{false};
  std::atomic<bool> FBroken{false};
  std::atomic<uint64_t> FLastTrafficMs{0};
  std::thread FThread;
};
