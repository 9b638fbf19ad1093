#include "platform/ui/Synchronize.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/kernel/EventObject.h"

namespace {

const std::thread::id MainThreadId = std::this_thread::get_id();

struct Request {
  const std::function<void()>* Routine;
  std::exception_ptr Error;
  bool Done = false;
};

struct Queue {
  std::mutex Lock;
  std::condition_variable Served;
  std::deque<Request*> Pending;
  std::function<void()> Wake;
  TEventObject Signal{true, false};
};

Queue& TheQueue() {
  static Queue q;
  return q;
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == MainThreadId; }

TEventObject& SyncEvent() { return TheQueue().Signal; }

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
  Request r{&routine, nullptr, false};
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> g(q.Lock);
    q.Pending.push_back(&r);
    q.Signal.Set();
    wake = q.Wake;
  }
  if (wake) wake();
  std::unique_lock<std::mutex> g(q.Lock);
  q.Served.wait(g, [&] { return r.Done; });
  if (r.Error) std::rethrow_exception(r.Error);
}

bool CheckSynchronize() {
  Queue& q = TheQueue();
  std::deque<Request*> batch;
  {
    std::lock_guard<std::mutex> g(q.Lock);
    if (q.Pending.empty()) return false;
    q.Signal.Reset();  // under the lock: a request queued after this sets it again
    batch.swap(q.Pending);
  }
  for (Request* r : batch) {
    try {
      (*r->Routine)();
    } catch (...) {
      r->Error = std::current_exception();
    }
    std::lock_guard<std::mutex> g(q.Lock);
    r->Done = true;
    q.Served.notify_all();
  }
  return true;
}
