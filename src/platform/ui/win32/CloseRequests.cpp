#include "platform/ui/CloseRequests.h"

#include <atomic>

#include "platform/ui/Synchronize.h"

#include <windows.h>

// A program with a console (started from a command prompt) hears Ctrl+C, Ctrl+Break and the
// console's closing through a handler the system runs on a thread of its own. The window's
// own close, a logoff and a shutdown reach the window as messages instead.
struct TCloseRequests::TWatcher {
  std::function<void()> OnRequest;
};

namespace {

std::atomic<TCloseRequests::TWatcher*> Active{nullptr};

BOOL WINAPI ConsoleEvent(DWORD type) {
  TCloseRequests::TWatcher* w = Active.load();
  if (!w || type > CTRL_CLOSE_EVENT) return FALSE;
  SynchronizeCall(w->OnRequest);
  return TRUE;
}

}  // namespace

TCloseRequests::TCloseRequests() : FWatcher(std::make_unique<TWatcher>()) {}

TCloseRequests::~TCloseRequests() { Stop(); }

void TCloseRequests::Start(std::function<void()> OnRequest) {
  FWatcher->OnRequest = std::move(OnRequest);
  Active = FWatcher.get();
  SetConsoleCtrlHandler(ConsoleEvent, TRUE);
}

void TCloseRequests::Stop() {
  if (Active.exchange(nullptr) == nullptr) return;
  SetConsoleCtrlHandler(ConsoleEvent, FALSE);
}
