#pragma once
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "platform/kernel/EventObject.h"
#include "platform/kernel/ThreadPriority.h"
#include "platform/rtl/Object.h"

// A worker thread. Created suspended or running; Start runs Execute on a new thread.
//
// Rules:
// - The owner ends a thread with Terminate (a request Execute must look at) and WaitFor,
//   before the derived object goes away; the destructor does the same as a last resort.
// - WaitFor on the user-interface thread keeps serving hand-overs (Synchronize) while it
//   waits, so a worker blocked in a hand-over can finish.
// - Synchronize blocks the worker until the user-interface thread has run the routine.
class TThread : public TObject {
 public:
  explicit TThread(bool CreateSuspended);
  ~TThread() override;

  void Start();
  void Resume() { Start(); }
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  bool Finished() const { return FFinished.IsSet(); }
  bool Started() const { return FStarted; }

  // Waits until Execute has returned; gives ReturnValue.
  int WaitFor();

  TThreadPriority Priority() const { return FPriority; }
  // Applied at once to a running thread; before Start, applied when it starts.
  void SetPriority(TThreadPriority value);

  int ReturnValue() const { return FReturnValue; }
  std::exception_ptr FatalException() const { return FFatalException; }

 protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& routine);
  void SetReturnValue(int v) { FReturnValue = v; }

 private:
  void Run();

  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<TThreadId> FTid{0};
  TEventObject FFinished{true, false};
  std::atomic<TThreadPriority> FPriority{tpNormal};  // read by the new thread as it starts
  bool FStarted = false;
  int FReturnValue = 0;
  std::exception_ptr FFatalException;
};
