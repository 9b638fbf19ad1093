#pragma once
#include <atomic>
#include <functional>
#include <thread>

#include "platform/kernel/EventObject.h"

// Waits for changes of the modem input lines (CTS, DSR, RI, DCD) with TIOCMIWAIT on a
// thread of its own, because that call blocks and cannot be waited on with poll. Each
// change calls OnChange on that thread. A device that does not support the call (a
// pseudo-terminal, many USB adapters) ends the watcher at once: it reports no changes.
//
// TIOCMIWAIT returns only on a line change or a signal, so Stop wakes the thread with a
// signal of its own (SIGRTMIN + 2, installed with a handler that does nothing, unless the
// program already handles it), repeated until the thread has seen its stop request.
class TModemWatcher {
 public:
  TModemWatcher(int fd, std::function<void()> onChange);
  ~TModemWatcher();  // stops
  TModemWatcher(const TModemWatcher&) = delete;
  TModemWatcher& operator=(const TModemWatcher&) = delete;

  void Stop();

 private:
  void Run();

  int FFd;
  std::function<void()> FOnChange;
  std::atomic<bool> FStop{false};
  TEventObject FEnded{true, false};
  std::thread FThread;
};
