#include "platform/kernel/Tick.h"

#include "platform/kernel/win32/SystemCalls.h"

uint32_t GetTickCount() { return win32::TickCount(); }
uint64_t GetTickCount64() { return win32::TickCount64(); }
