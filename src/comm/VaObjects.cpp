#include "comm/VaObjects.h"

TVaHandleObject::~TVaHandleObject() {
  if (FHandle != InvalidHandle) CloseSystemHandle(FHandle);
}

TVaWaitResult TVaHandleObject::WaitFor(uint32_t Timeout) {
  const TWaitOutcome r = WaitForHandles({FHandle}, Timeout);
  switch (r.Status) {
    case TWaitStatus::Signaled: return waitSignaled;
    case TWaitStatus::Timeout: return waitTimeout;
    case TWaitStatus::Failed: break;
  }
  FLastError = r.Error;
  return waitFailed;
}

TVaEvent::TVaEvent(bool manualReset) : FEvent(std::make_unique<TEventObject>(manualReset, false)) {
  FHandle = FEvent->Handle();
}

TVaEvent::~TVaEvent() {
  // The kernel object closes its own descriptor.
  FHandle = InvalidHandle;
}
