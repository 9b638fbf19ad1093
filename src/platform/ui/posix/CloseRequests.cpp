#include "platform/ui/CloseRequests.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/kernel/EventObject.h"
#include "platform/ui/Thread.h"

namespace {

sigset_t CloseSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, s);
  return set;
}

}  // namespace

// Reads the signals from a signalfd, so that no handler runs inside an interrupted call.
struct TCloseRequests::TWatcher : TThread {
  TWatcher() : TThread(true) {
    const sigset_t set = CloseSignals();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0 ||
        (FSignals = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK)) < 0)
      throw std::system_error(errno, std::generic_category(), "signalfd");
  }
  // The signals stay held back: one that comes while the program ends is dropped with it.
  ~TWatcher() override {
    Stop();
    close(FSignals);
  }

  void Stop() {
    Terminate();
    FStop.Set();
    WaitFor();
  }

  std::function<void()> OnRequest;

 protected:
  void Execute() override {
    while (!Terminated()) {
      pollfd p[2] = {{FSignals, POLLIN, 0}, {int(FStop.Handle()), POLLIN, 0}};
      if (poll(p, 2, -1) < 0 && errno != EINTR) return;
      if (Terminated()) return;
      signalfd_siginfo info;
      if (!(p[0].revents & POLLIN) || read(FSignals, &info, sizeof info) != ssize_t(sizeof info)) continue;
      if (OnRequest) Synchronize(OnRequest);
    }
  }

 private:
  int FSignals = -1;
  TEventObject FStop{true, false};
};

TCloseRequests::TCloseRequests() : FWatcher(std::make_unique<TWatcher>()) {}

TCloseRequests::~TCloseRequests() = default;

void TCloseRequests::Start(std::function<void()> OnRequest) {
  FWatcher->OnRequest = std::move(OnRequest);
  FWatcher->Start();
}

void TCloseRequests::Stop() { FWatcher->Stop(); }
