#pragma once
#include <cstdint>

// Milliseconds of a monotonic clock (CLOCK_MONOTONIC on Linux, the performance counter on
// Windows). The 32-bit count wraps after 49.7 days, as callers
// that measure intervals with unsigned subtraction expect; the 64-bit one never wraps.
//
// Both are also Windows functions (C linkage): a file that includes this header must not
// include <windows.h>; see platform/kernel/win32/SystemCalls.h.
uint32_t GetTickCount();
uint64_t GetTickCount64();
