#include "platform/kernel/EventObject.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/kernel/Tick.h"

TEventObject::TEventObject(bool manualReset, bool initialState)
    : FFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), FManualReset(manualReset) {
  if (FFd < 0) throw std::runtime_error("eventfd failed");
  if (initialState) Set();
}

TEventObject::~TEventObject() { close(FFd); }

void TEventObject::Set() {
  const uint64_t one = 1;
  // The counter only needs to be non-zero; EAGAIN (counter saturated) still means set.
  while (write(FFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void TEventObject::Reset() {
  uint64_t value;
  while (read(FFd, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

bool TEventObject::IsSet() const {
  pollfd p{FFd, POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

uint32_t RemainingTime(uint64_t startTick, uint32_t timeoutMs) {
  if (timeoutMs == INFINITE) return INFINITE;
  const uint64_t spent = GetTickCount64() - startTick;
  return spent >= timeoutMs ? 0 : uint32_t(timeoutMs - spent);
}

int PollTimeout(uint64_t startTick, uint32_t timeoutMs) {
  const uint32_t left = RemainingTime(startTick, timeoutMs);
  return left == INFINITE ? -1 : int(left);
}

TWaitOutcome WaitForReadable(const std::vector<int>& fds, uint32_t timeoutMs) {
  std::vector<pollfd> polls;
  for (int fd : fds) polls.push_back(pollfd{fd, POLLIN, 0});
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
  std::vector<int> fds;
  for (auto* o : objects) fds.push_back(o->Handle());
  for (;;) {
    const uint64_t start = GetTickCount64();
    TWaitOutcome r = WaitForReadable(fds, timeoutMs);
    if (r.Status != TWaitStatus::Signaled) return r;
    TEventObject* hit = objects[size_t(r.Index)];
    if (hit->ManualReset()) return r;
    // Auto reset: consume the signal; another waiter may have taken it first.
    uint64_t value;
    if (read(hit->Handle(), &value, sizeof value) == sizeof value) return r;
    timeoutMs = RemainingTime(start, timeoutMs);
  }
}

TWaitOutcome WaitForEvent(TEventObject& object, uint32_t timeoutMs) {
  return WaitForEvents({&object}, timeoutMs);
}
