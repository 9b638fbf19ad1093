#include "platform/kernel/EventObject.h"

#include <atomic>

#include "platform/kernel/Tick.h"

uint64_t TEventObject::NextSerial() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

uint64_t TickNow() { return GetTickCount64(); }

uint32_t RemainingTime(uint64_t startTick, uint32_t timeoutMs) {
  if (timeoutMs == INFINITE) return INFINITE;
  const uint64_t spent = GetTickCount64() - startTick;
  return spent >= timeoutMs ? 0 : uint32_t(timeoutMs - spent);
}

int PollTimeout(uint64_t startTick, uint32_t timeoutMs) {
  const uint32_t left = RemainingTime(startTick, timeoutMs);
  return left == INFINITE ? -1 : int(left);
}

TWaitOutcome WaitForEvent(TEventObject& object, uint32_t timeoutMs) {
  return WaitForEvents({&object}, timeoutMs);
}
