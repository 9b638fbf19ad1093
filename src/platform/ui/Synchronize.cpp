#include "platform/ui/Synchronize.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/kernel/EventObject.h"

namespace {

const std::thread::id MainThreadId = std::this_thread::get_id();

// Lives on the worker's stack while it waits; linked into the queue, so that a hand-over
// allocates nothing.
struct Request {
  const std::function<void()>* Routine;
  std::exception_ptr Error;
  bool Done = false;
  Request* Next = nullptr;
};

struct Queue {
  std::mutex Lock;
  std::condition_variable Served;
  Request* Head = nullptr;  // first in, first served
  Request* Tail = nullptr;
  std::atomic<bool> Any{false};  // Head is set; read without the lock
  std::function<void()> Wake;
  // Signalled while routines are queued, for WaitServingHandOvers only: the message loop
  // is woken through Wake, and a second signal per hand-over would be two system calls
  // more for nothing.
  TEventObject Signal{true, false};
  int SignalWaiters = 0;
  bool SignalSet = false;

  void SetSignalLocked() {
    if (SignalSet) return;
    Signal.Set();
    SignalSet = true;
  }
  void ResetSignalLocked() {
    if (!SignalSet) return;
    Signal.Reset();
    SignalSet = false;
  }
};

Queue& TheQueue() {
  static Queue q;
  return q;
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == MainThreadId; }

bool SynchronizePending() { return TheQueue().Any.load(); }

void SetWakeMainThread(std::function<void()> wake) {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> g(q.Lock);
  q.Wake = std::move(wake);
}

void SynchronizeCall(const std::function<void()>& routine) {
  if (IsMainThread()) {
    routine();
    return;
  }
  Queue& q = TheQueue();
  Request r{&routine, nullptr, false, nullptr};
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> g(q.Lock);
    (q.Tail ? q.Tail->Next : q.Head) = &r;
    q.Tail = &r;
    q.Any = true;
    if (q.SignalWaiters > 0) q.SetSignalLocked();
    wake = q.Wake;
  }
  if (wake) wake();
  std::unique_lock<std::mutex> g(q.Lock);
  q.Served.wait(g, [&] { return r.Done; });
  if (r.Error) std::rethrow_exception(r.Error);
}

bool CheckSynchronize() {
  Queue& q = TheQueue();
  Request* batch;
  {
    std::lock_guard<std::mutex> g(q.Lock);
    q.ResetSignalLocked();  // under the lock: a request queued after this sets it again
    batch = q.Head;
    q.Head = q.Tail = nullptr;
    q.Any = false;
  }
  if (!batch) return false;
  for (Request* r = batch; r;) {
    Request* next = r->Next;  // r may be gone as soon as it is marked done
    try {
      (*r->Routine)();
    } catch (...) {
      r->Error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> g(q.Lock);
      r->Done = true;
    }
    // Outside the lock: the worker woken here would otherwise block on it at once.
    q.Served.notify_all();
    r = next;
  }
  return true;
}

void WaitServingHandOvers(TEventObject& Done) {
  Queue& q = TheQueue();
  {
    std::lock_guard<std::mutex> g(q.Lock);
    ++q.SignalWaiters;
    if (q.Head) q.SetSignalLocked();
  }
  struct TLeave {
    Queue& Q;
    ~TLeave() {
      std::lock_guard<std::mutex> g(Q.Lock);
      if (--Q.SignalWaiters == 0) Q.ResetSignalLocked();
    }
  } leave{q};
  for (;;) {
    const TWaitOutcome r = WaitForEvents({&Done, &q.Signal}, INFINITE);
    if (r.Status == TWaitStatus::Signaled && r.Index == 0) break;
    CheckSynchronize();
  }
}
