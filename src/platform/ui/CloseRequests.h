#pragma once
#include <functional>
#include <memory>

// Requests from outside the program to end it, handled as a close of its main window: on
// Linux the signals SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in a terminal).
//
// Rules:
// - Construct it on the user-interface thread before any other thread starts (the display
//   backend starts some): the signals are then held back in every thread and reach the
//   program only through this object, never by their default action.
// - Between Start and Stop, a request runs OnRequest on the user-interface thread, handed
//   over like a worker's routine. A further request while the first is being handled is
//   left waiting; the program ends by its first.
// - Stop (or the destructor) before the application goes away; it serves hand-overs while
//   it waits, so a request that is just being handed over cannot block it.
class TCloseRequests {
 public:
  TCloseRequests();
  ~TCloseRequests();
  TCloseRequests(const TCloseRequests&) = delete;
  TCloseRequests& operator=(const TCloseRequests&) = delete;

  void Start(std::function<void()> OnRequest);
  void Stop();

  struct TWatcher;

 private:
  std::unique_ptr<TWatcher> FWatcher;
};
