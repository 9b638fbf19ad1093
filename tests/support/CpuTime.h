#pragma once
// Processor time this process has used so far, in seconds: a thread that spins shows in it,
// one that waits does not.
#ifdef _WIN32
double ProcessCpuSeconds();  // support/win32/CpuTime.cpp
#else
#include <time.h>
inline double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
#endif
