#include "platform/kernel/Sleep.h"

#include "platform/kernel/win32/SystemCalls.h"

void Sleep(uint32_t milliseconds) { win32::SleepFor(milliseconds); }
