#pragma once
#include <SDL.h>

#include <cstdint>

// Waiting for input without SDL's blocking wait.
//
// SDL's wait wakes itself, when an event comes in during it, with a message sent to the
// window it waited on over a second display connection. A window destroyed right after such
// a wait (the main window closed, a message box answered) can meet that message at the X
// server, which then reports the window missing; the default error handler ends the program.
// Waiting on the display connection ourselves sends nothing.

// The display connection behind Window (an X11 display), or nullptr when the video driver
// has none to wait on. It lasts as long as SDL's video does.
using TDisplayLink = void*;
TDisplayLink DisplayConnection(SDL_Window* Window);

// Whether the display has events for SDL to fetch: read already, or waiting on the socket.
// One read of the socket at most, where a fetch by SDL costs a handful of reads that find
// nothing and a poll. Without a display, always true.
bool DisplayHasInput(TDisplayLink Display);

// Returns when SDL has events, Display has input, WakeFd is readable, or the time (ms,
// INFINITE: no limit) is up. Display may be null and WakeFd -1 (not waited on). What is
// still buffered for the display is sent first.
void WaitForInput(TDisplayLink Display, int WakeFd, uint32_t TimeoutMs);

// The next of SDL's events: fetched from the display first when Fetch, otherwise only what SDL
// already holds. False when there is none, or when the display went during the fetch.
bool NextSdlEvent(SDL_Event& Event, bool Fetch = true);

// The same two calls for the message loop's display, reading the socket less: the pass right
// after a wait that ended with the socket not readable has nothing to read, nor has the pass
// after that one when its predecessor looked or knew; a wait right after a look that found
// nothing need not look again. All this holds only while no request went out (a reply or a
// flush may read events on the way; the backend's own flush when presenting counts as a
// look) and Xlib queued nothing. What comes meanwhile stays on the socket, where the next
// wait sees it. The loop makes those two passes between waits when nothing else comes in;
// any further pass looks, so that a caller that passes without waiting still gets its events.
class TDisplayInput {
 public:
  TDisplayInput() = default;
  TDisplayInput(const TDisplayInput&) = delete;
  TDisplayInput& operator=(const TDisplayInput&) = delete;
  ~TDisplayInput();

  void SetDisplay(TDisplayLink Display) {
    FDisplay = Display;
    FFoundQuiet = FAfterQuietWait = false;
    FPassesSinceWait = 0;
    FEpollSocket = -1;  // the set is made again for its socket
  }
  // Events of this type (the answers to our own shared-memory presents) that a look finds at
  // the head of Xlib's queue are taken off: nothing reads them, and handing them to SDL would
  // cost a fetch of its own every time.
  void SetDroppedEvent(int Type) { FDropped = Type; }
  bool HasInput();
  void Wait(int WakeFd, uint32_t TimeoutMs);
  // After the backend's own flush (presenting), which reads the socket as a look does.
  void Flushed();

 private:
  bool Unchanged() const;
  bool Look();
  void NoteLook(bool Any);
  bool SleepQuietly(int Socket, int WakeFd, uint32_t TimeoutMs);

  TDisplayLink FDisplay = nullptr;
  bool FFoundQuiet = false;         // the last look found nothing
  bool FAfterQuietWait = false;     // the last wait ended with the socket not readable
  int FPassesSinceWait = 0;
  // The socket and the wake descriptor in one epoll set, made at the first wait: the loop
  // sleeps once per received chunk, and a poll sets up its watch of both every time.
  int FEpoll = -1;
  int FEpollSocket = -1, FEpollWake = -1;
  unsigned long FQuietRequest = 0;  // the display's next request number at that look
  int FDropped = 0;                 // 0: none
};
