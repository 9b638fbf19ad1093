#pragma once
#include <cstdint>
#include <vector>

#include "platform/kernel/Handle.h"

// A kernel event object: signalled or not. Linux: an eventfd, waited on with poll, so it can
// be waited on together with any other descriptor (a tty, a window's pipe). Windows: an
// event from CreateEvent. Manual reset: stays signalled until Reset. Auto reset: a
// successful wait resets it. Set, Reset and waits may be called from any thread at once.
class TEventObject {
 public:
  explicit TEventObject(bool manualReset = true, bool initialState = false);
  ~TEventObject();
  TEventObject(const TEventObject&) = delete;
  TEventObject& operator=(const TEventObject&) = delete;

  void Set();
  void Reset();
  // Whether it is signalled now, without taking the signal of an auto-reset event (on
  // Windows that is a zero wait followed by Set again).
  bool IsSet() const;
  bool ManualReset() const { return FManualReset; }
  // Signalled while the object is (readable on Linux); the object keeps ownership.
  THandle Handle() const { return FHandle; }
  // A number no other event object of the process has had: tells this object apart from
  // one that was destroyed and left its address and its handle's number to it.
  uint64_t Serial() const { return FSerial; }

 private:
  static uint64_t NextSerial();

  THandle FHandle;
  bool FManualReset;
  const uint64_t FSerial = NextSerial();
};

// Waits until one of the objects is signalled or the time (ms; INFINITE = no limit) is up;
// the wait that reports an auto-reset object takes its signal.
TWaitOutcome WaitForEvents(const std::vector<TEventObject*>& objects, uint32_t timeoutMs);
TWaitOutcome WaitForEvent(TEventObject& object, uint32_t timeoutMs);

// GetTickCount64 of Tick.h under a name <windows.h> does not take, for the Windows files that
// cannot include Tick.h (see platform/kernel/win32/SystemCalls.h).
uint64_t TickNow();

// What is left of a time limit (ms; INFINITE stays INFINITE) that started at startTick
// (GetTickCount64 or TickNow), and the same as a poll timeout (-1 for no limit).
uint32_t RemainingTime(uint64_t startTick, uint32_t timeoutMs);
int PollTimeout(uint64_t startTick, uint32_t timeoutMs);
