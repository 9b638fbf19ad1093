#pragma once
#include <chrono>
#include <cstdint>
#include <thread>

// Polls `condition` every pollMs until it holds or timeoutMs has passed; true when it held.
template <class F>
bool WaitUntil(F condition, int timeoutMs, int pollMs = 20) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}

// Milliseconds of the clock WaitUntil runs on, for timing what a test waits for.
inline uint64_t NowMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
