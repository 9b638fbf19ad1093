#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

constexpr uint32_t INFINITE = 0xFFFFFFFFu;

// A kernel event object: signalled or not, waited on with poll. Backed by an eventfd,
// so it can be waited on together with any other descriptor (a tty, a window's pipe).
// Manual reset: stays signalled until Reset. Auto reset: a successful wait resets it.
// Set, Reset and waits may be called from any thread at the same time.
class TEventObject {
 public:
  explicit TEventObject(bool manualReset = true, bool initialState = false);
  ~TEventObject();
  TEventObject(const TEventObject&) = delete;
  TEventObject& operator=(const TEventObject&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  bool ManualReset() const { return FManualReset; }
  int Handle() const { return FFd; }  // readable while signalled

 private:
  int FFd;
  bool FManualReset;
};

enum class TWaitStatus { Signaled, Timeout, Failed };

struct TWaitOutcome {
  TWaitStatus Status;
  int Index;  // the first signalled object, for Signaled
  int Error;  // errno, for Failed
};

// Waits until one of the objects is signalled or the time (ms; INFINITE = no limit) is up.
// Restarts after EINTR with the remaining time.
TWaitOutcome WaitForEvents(const std::vector<TEventObject*>& objects, uint32_t timeoutMs);
TWaitOutcome WaitForEvent(TEventObject& object, uint32_t timeoutMs);

// What is left of a time limit (ms; INFINITE stays INFINITE) that started at startTick
// (GetTickCount64), and the same as a poll timeout (-1 for no limit).
uint32_t RemainingTime(uint64_t startTick, uint32_t timeoutMs);
int PollTimeout(uint64_t startTick, uint32_t timeoutMs);

// Waits until one of the descriptors is readable (events POLLIN) or the time is up.
TWaitOutcome WaitForReadable(const std::vector<int>& fds, uint32_t timeoutMs);
