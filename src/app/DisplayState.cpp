#include "app/DisplayState.h"

#include <cmath>

#include "platform/kernel/Tick.h"

TDisplayState DisplayState{};
TDisplayClocks DisplayClocks{Now, GetTickCount64};

uint64_t TDisplayState::FreshWindowMs() const {
  // The window is kept in days as the time stamps are; 500 ms is not exact in a double.
  return FreshWindow > 0 ? uint64_t(std::llround(FreshWindow * MSecsPerDay)) : 0;
}

void TDisplayClocks::Reset() {
  Now = ::Now;
  Tick = GetTickCount64;
}
