#include "platform/ui/backend/sdl2/Sdl2Wait.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/kernel/EventObject.h"
#include "platform/ui/backend/sdl2/Sdl2X11Watch.h"

namespace {

// A wait on the display's socket and then the wake that ended without the socket readable.
// Before Xlib's headers, whose Status macro is a type.
bool SocketStayedQuiet(const TWaitOutcome& R) {
  return R.Status == TWaitStatus::Timeout || (R.Status == TWaitStatus::Signaled && R.Index == 1);
}

}  // namespace

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>

TDisplayLink DisplayConnection(SDL_Window* Window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  return info.info.x11.display;
}

namespace {

// Sends what is buffered, then counts also what the connection library read while Xlib
// waited for a reply (on no socket any more, and not yet in Xlib's queue): one read of the
// socket when nothing is queued.
bool EventsQueued(::Display* d) { return XEventsQueued(d, QueuedAfterFlush) > 0; }

}  // namespace

bool DisplayHasInput(TDisplayLink Display) {
  auto* d = static_cast<::Display*>(Display);
  return !d || EventsQueued(d);
}

void WaitForInput(TDisplayLink Display, int WakeFd, uint32_t TimeoutMs) {
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
  std::vector<THandle> fds;
  if (auto* d = static_cast<::Display*>(Display)) {
    // Requests still in Xlib's buffer go out before the sleep.
    if (EventsQueued(d)) return;
    fds.push_back(ConnectionNumber(d));
  }
  if (WakeFd >= 0) fds.push_back(WakeFd);
  WaitForHandles(fds, TimeoutMs);
}

bool NextSdlEvent(SDL_Event& Event, bool Fetch) {
  bool got = false;
  const bool kept = X11Guarded([&] {
    got = (Fetch ? SDL_PollEvent(&Event) : SDL_PeepEvents(&Event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0;
  });
  return kept && got;
}

bool TDisplayInput::Unchanged() const {
  auto* d = static_cast<::Display*>(FDisplay);
  return FFoundQuiet && XNextRequest(d) == FQuietRequest && XQLength(d) == 0;
}

void TDisplayInput::NoteLook(bool Any) {
  auto* d = static_cast<::Display*>(FDisplay);
  // Peeking and taking from a queue that is not empty read nothing from the socket.
  for (XEvent e; Any && FDropped != 0 && XQLength(d) > 0 && (XPeekEvent(d, &e), e.type == FDropped);) {
    XNextEvent(d, &e);
    Any = XQLength(d) > 0;
  }
  FFoundQuiet = !Any;
  FQuietRequest = XNextRequest(d);
}

bool TDisplayInput::Look() {
  NoteLook(EventsQueued(static_cast<::Display*>(FDisplay)));
  return !FFoundQuiet;
}

void TDisplayInput::Flushed() {
  if (FDisplay) NoteLook(XQLength(static_cast<::Display*>(FDisplay)) > 0);
}

bool TDisplayInput::HasInput() {
  if (!FDisplay) return true;
  const bool known = (FPassesSinceWait == 0 ? FAfterQuietWait : FPassesSinceWait == 1) && Unchanged();
  FAfterQuietWait = false;
  if (FPassesSinceWait < 2) ++FPassesSinceWait;
  return !known && Look();
}

void TDisplayInput::Wait(int WakeFd, uint32_t TimeoutMs) {
  auto* d = static_cast<::Display*>(FDisplay);
  if (!d) {
    WaitForInput(nullptr, WakeFd, TimeoutMs);
    return;
  }
  FAfterQuietWait = false;
  FPassesSinceWait = 0;
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) || (!Unchanged() && Look())) return;
  if (SleepQuietly(ConnectionNumber(d), WakeFd, TimeoutMs)) return;
  std::vector<THandle> fds{ConnectionNumber(d)};
  if (WakeFd >= 0) fds.push_back(WakeFd);
  // The socket is looked at first: a wake alone leaves it as it was found.
  FAfterQuietWait = SocketStayedQuiet(WaitForHandles(fds, TimeoutMs));
}

TDisplayInput::~TDisplayInput() {
  if (FEpoll >= 0) close(FEpoll);
}

// The wait on the epoll set; false when there is none (the caller then polls).
bool TDisplayInput::SleepQuietly(int Socket, int WakeFd, uint32_t TimeoutMs) {
  if (FEpollSocket != Socket || FEpollWake != WakeFd) {
    // Made once for these two (a failure too: then the caller polls).
    if (FEpoll >= 0) close(FEpoll);
    FEpoll = epoll_create1(EPOLL_CLOEXEC);
    FEpollSocket = Socket;
    FEpollWake = WakeFd;
    epoll_event e{};
    e.events = EPOLLIN;
    bool ok = FEpoll >= 0;
    for (int fd : {Socket, WakeFd}) {
      e.data.fd = fd;
      if (ok && fd >= 0) ok = epoll_ctl(FEpoll, EPOLL_CTL_ADD, fd, &e) == 0;
    }
    if (!ok && FEpoll >= 0) {
      close(FEpoll);
      FEpoll = -1;
    }
  }
  if (FEpoll < 0) return false;
  epoll_event got[2];
  const int n = epoll_wait(FEpoll, got, 2, TimeoutMs == INFINITE ? -1 : int(std::min<uint32_t>(TimeoutMs, INT_MAX)));
  // An interrupted wait ends as a wake would; the loop comes back if there was nothing.
  bool socket = n < 0 && errno != EINTR;
  for (int i = 0; i < n; ++i) socket |= got[i].data.fd == Socket;
  FAfterQuietWait = !socket;
  return true;
}
