#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/kernel/EventObject.h"
#include "platform/rtl/Object.h"

enum TVaWaitResult { waitSignaled, waitTimeout, waitAbandoned, waitFailed };

// An object with a system handle that can be waited on. The destructor closes the handle.
class TVaHandleObject : public TObject {
 public:
  TVaHandleObject() = default;
  ~TVaHandleObject() override;
  TVaHandleObject(const TVaHandleObject&) = delete;
  TVaHandleObject& operator=(const TVaHandleObject&) = delete;

  THandle Handle() const { return FHandle; }
  int LastError() const { return FLastError; }

  // Waits until the handle is signalled or Timeout ms (INFINITE = no limit) have
  // passed. waitAbandoned has no counterpart here and is never the result.
  TVaWaitResult WaitFor(uint32_t Timeout);

 protected:
  THandle FHandle = InvalidHandle;
  int FLastError = 0;
};

// An event object; any thread may signal, reset and wait on it.
class TVaEvent : public TVaHandleObject {
 public:
  ~TVaEvent() override;
  void Signal() { FEvent->Set(); }
  void Reset() { FEvent->Reset(); }
  bool IsSignaled() const { return FEvent->IsSet(); }
  // The kernel object, for waits on several objects at once.
  TEventObject& Object() { return *FEvent; }

 protected:
  explicit TVaEvent(bool manualReset);

 private:
  std::unique_ptr<TEventObject> FEvent;
};

// An unnamed manual-reset event, created not signalled.
class TVaWaitEvent : public TVaEvent {
 public:
  TVaWaitEvent() : TVaEvent(true) {}
};

// A lock that the thread holding it may enter again.
class TVaCriticalSection : public TObject {
 public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }

 private:
  std::recursive_mutex FMutex;
};

// Holds a TVaCriticalSection for the rest of a scope.
class TVaLockGuard {
 public:
  explicit TVaLockGuard(TVaCriticalSection& cs) : FCs(cs) { FCs.Enter(); }
  ~TVaLockGuard() { FCs.Leave(); }
  TVaLockGuard(const TVaLockGuard&) = delete;
  TVaLockGuard& operator=(const TVaLockGuard&) = delete;

 private:
  TVaCriticalSection& FCs;
};
