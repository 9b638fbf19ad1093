#include <windows.h>

#include <stdexcept>

#include "platform/kernel/EventObject.h"

namespace {
HANDLE AsHandle(THandle h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

TEventObject::TEventObject(bool manualReset, bool initialState)
    : FHandle(reinterpret_cast<THandle>(CreateEventW(nullptr, manualReset, initialState, nullptr))),
      FManualReset(manualReset) {
  if (FHandle == 0) throw std::runtime_error("CreateEvent failed");
}

TEventObject::~TEventObject() { CloseHandle(AsHandle(FHandle)); }

void TEventObject::Set() { SetEvent(AsHandle(FHandle)); }

void TEventObject::Reset() { ResetEvent(AsHandle(FHandle)); }

bool TEventObject::IsSet() const {
  if (WaitForSingleObject(AsHandle(FHandle), 0) != WAIT_OBJECT_0) return false;
  if (!FManualReset) SetEvent(AsHandle(FHandle));  // the look took the signal: give it back
  return true;
}

void CloseSystemHandle(THandle handle) { CloseHandle(AsHandle(handle)); }

TWaitOutcome WaitForHandles(const std::vector<THandle>& handles, uint32_t timeoutMs) {
  if (handles.size() > MAXIMUM_WAIT_OBJECTS) return {TWaitStatus::Failed, -1, int(ERROR_INVALID_PARAMETER)};
  if (handles.empty()) {  // as poll with no descriptors: only the time limit
    if (timeoutMs == INFINITE) return {TWaitStatus::Failed, -1, int(ERROR_INVALID_PARAMETER)};
    ::Sleep(timeoutMs);
    return {TWaitStatus::Timeout, -1, 0};
  }
  std::vector<HANDLE> hs;
  for (THandle h : handles) hs.push_back(AsHandle(h));
  const DWORD r = WaitForMultipleObjects(DWORD(hs.size()), hs.data(), FALSE, timeoutMs);
  if (r < WAIT_OBJECT_0 + hs.size()) return {TWaitStatus::Signaled, int(r - WAIT_OBJECT_0), 0};
  // An abandoned mutex is signalled too; the waiter now owns it.
  if (r >= WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + hs.size())
    return {TWaitStatus::Signaled, int(r - WAIT_ABANDONED_0), 0};
  if (r == WAIT_TIMEOUT) return {TWaitStatus::Timeout, -1, 0};
  return {TWaitStatus::Failed, -1, int(GetLastError())};
}

TWaitOutcome WaitForEvents(const std::vector<TEventObject*>& objects, uint32_t timeoutMs) {
  std::vector<THandle> handles;
  for (auto* o : objects) handles.push_back(o->Handle());
  return WaitForHandles(handles, timeoutMs);
}
