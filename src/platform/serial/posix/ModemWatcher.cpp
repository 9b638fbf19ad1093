#include "platform/serial/posix/ModemWatcher.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <sys/ioctl.h>

namespace {

int WakeSignal() { return SIGRTMIN + 2; }

void NoOp(int) {}

void InstallWakeHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction old {};
    sigaction(WakeSignal(), nullptr, &old);
    if (old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN) return;  // someone else's
    struct sigaction sa {};
    sa.sa_handler = NoOp;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: the blocked call must return EINTR
    sigaction(WakeSignal(), &sa, nullptr);
  });
}

}  // namespace

TModemWatcher::TModemWatcher(int fd, std::function<void()> onChange) : FFd(fd), FOnChange(std::move(onChange)) {
  InstallWakeHandler();
  FThread = std::thread([this] { Run(); });
}

TModemWatcher::~TModemWatcher() { Stop(); }

void TModemWatcher::Run() {
  const int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CD;
  while (!FStop.load()) {
    if (ioctl(FFd, TIOCMIWAIT, lines) == 0) {
      if (!FStop.load()) FOnChange();
      continue;
    }
    if (errno == EINTR) continue;
    break;  // not supported, or the device is gone: nothing more to watch
  }
  FEnded.Set();
}

void TModemWatcher::Stop() {
  if (!FThread.joinable()) return;
  FStop = true;
  // A signal sent just before the thread enters the call is lost; send again until it ends.
  while (!FEnded.IsSet()) {
    pthread_kill(FThread.native_handle(), WakeSignal());
    if (WaitForEvent(FEnded, 20).Status == TWaitStatus::Signaled) break;
  }
  FThread.join();
}
