#include "platform/kernel/Tick.h"

#include <time.h>

uint64_t GetTickCount64() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

uint32_t GetTickCount() { return uint32_t(GetTickCount64()); }
