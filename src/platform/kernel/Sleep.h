#pragma once
#include <cstdint>

// Suspends the calling thread for at least the given number of milliseconds.
//
// Also a Windows function (C linkage): a file that includes this header must not include
// <windows.h>; see platform/kernel/win32/SystemCalls.h.
void Sleep(uint32_t milliseconds);
