#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Ends the test program with a message when a cross-thread test has not finished in time,
// so a lost wake-up fails the run instead of hanging it.
class TDeadline {
 public:
  explicit TDeadline(int ms, const char* what = "test") {
    FThread = std::thread([this, ms, what] {
      std::unique_lock<std::mutex> g(FLock);
      if (!FDone.wait_for(g, std::chrono::milliseconds(ms), [this] { return FFinished; })) {
        std::fprintf(stderr, "deadline of %d ms passed in %s\n", ms, what);
        std::_Exit(3);
      }
    });
  }
  ~TDeadline() {
    {
      std::lock_guard<std::mutex> g(FLock);
      FFinished = true;
    }
    FDone.notify_all();
    FThread.join();
  }

 private:
  std::mutex FLock;
  std::condition_variable FDone;
  bool FFinished = false;
  std::thread FThread;
};
