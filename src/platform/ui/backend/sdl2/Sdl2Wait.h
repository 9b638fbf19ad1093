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

// The descriptor of the display connection behind Window (an X11 socket), or -1 when the
// video driver has none to wait on.
int DisplayConnection(SDL_Window* Window);

// Returns when SDL has events, DisplayFd has input, WakeFd is readable, or the time (ms,
// INFINITE: no limit) is up. Either descriptor may be -1 (not waited on).
void WaitForInput(int DisplayFd, int WakeFd, uint32_t TimeoutMs);
