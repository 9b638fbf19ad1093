#pragma once
#include <cstdint>
#include <ctime>

// Microseconds of the monotonic clock; all scheduling in the simulator uses it.
inline int64_t NowMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}
