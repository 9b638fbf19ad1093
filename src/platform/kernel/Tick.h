#pragma once
#include <cstdint>

// Milliseconds of a monotonic clock. The 32-bit count wraps after 49.7 days, as callers
// that measure intervals with unsigned subtraction expect; the 64-bit one never wraps.
uint32_t GetTickCount();
uint64_t GetTickCount64();
