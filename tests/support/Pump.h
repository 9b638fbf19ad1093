#pragma once
#include <cstdint>
#include <functional>

#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"

// Runs the application's loop until done() holds or `ms` have passed; false on the deadline.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  const uint64_t end = GetTickCount64() + uint64_t(ms);
  for (;;) {
    Application->ProcessMessages();
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Application->WaitMessage(10);
  }
}

// Runs the loop for `ms` whatever happens.
inline void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}
