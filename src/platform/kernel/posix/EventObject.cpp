#include "platform/kernel/EventObject.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/kernel/Tick.h"

TEventObject::TEventObject(bool manualReset, bool initialState)
    : FHandle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), FManualReset(manualReset) {
  if (FHandle < 0) throw std::runtime_error("eventfd failed");
  if (initialState) Set();
}

TEventObject::~TEventObject() { close(int(FHandle)); }

void TEventObject::Set() {
  const uint64_t one = 1;
  // The counter only needs to be non-zero; EAGAIN (counter saturated) still means set.
  while (write(int(FHandle), &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void TEventObject::Reset() {
  uint64_t value;
  while (read(int(FHandle), &value, sizeof value) < 0 && errno == EINTR) {
  }
}

bool TEventObject::IsSet() const {
  pollfd p{int(FHandle), POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

void CloseSystemHandle(THandle handle) { close(int(handle)); }

TWaitOutcome WaitForHandles(const std::vector<THandle>& handles, uint32_t timeoutMs) {
  std::vector<pollfd> polls;
  for (THandle fd : handles) polls.push_back(pollfd{int(fd), POLLIN, 0});
  const uint64_t start = GetTickCount64();
  for (;;) {
    const int n = poll(polls.data(), polls.size(), PollTimeout(start, timeoutMs));
    if (n < 0) {
      if (errno == EINTR) continue;
      return {TWaitStatus::Failed, -1, errno};
    }
    if (n == 0) return {TWaitStatus::Timeout, -1, 0};
    for (size_t i = 0; i < polls.size(); ++i)
      if (polls[i].revents & (POLLIN | POLLERR | POLLHUP)) return {TWaitStatus::Signaled, int(i), 0};
  }
}

TWaitOutcome WaitForEvents(const std::vector<TEventObject*>& objects, uint32_t timeoutMs) {
  std::vector<THandle> fds;
  for (auto* o : objects) fds.push_back(o->Handle());
  for (;;) {
    const uint64_t start = GetTickCount64();
    TWaitOutcome r = WaitForHandles(fds, timeoutMs);
    if (r.Status != TWaitStatus::Signaled) return r;
    TEventObject* hit = objects[size_t(r.Index)];
    if (hit->ManualReset()) return r;
    // Auto reset: consume the signal; another waiter may have taken it first.
    uint64_t value;
    if (read(int(hit->Handle()), &value, sizeof value) == sizeof value) return r;
    timeoutMs = RemainingTime(start, timeoutMs);
  }
}
