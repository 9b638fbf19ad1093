#pragma once
#include <SDL.h>

// What the X server does behind SDL's back: the connection breaking (the session ends, the
// server crashes) and a window of ours destroyed by another client. Xlib's defaults end the
// process from inside whichever call noticed: the fatal I/O handler calls exit, the error
// handler exits on the BadWindow that the next request on a vanished window draws. The
// handlers installed here only record what happened, so that the backend can report it as
// events and the program ends through its loop, closing what it holds.
//
// Rules (user-interface thread only, like every SDL call of the backend):
// - WatchX11Display once after SDL_Init, with any window of SDL's: its display connection is
//   the one watched. UnwatchX11Display before SDL_Quit, which must not run when it answers
//   false: the display went while it collected the last errors. Without X11 (another video driver)
//   nothing is watched and the queries below answer false and 0.
// - Once X11DisplayLost is true the connection is unusable: nothing may call SDL's video
//   functions any more, SDL_Quit included (it closes a second connection of SDL's, which
//   would meet the broken server and end the process after all).
// - Register each window when SDL has created it, Forget it before destroying it: an error
//   about a window of ours that is gone is then ignored, and one that another client
//   destroyed is reported by TakeDestroyedX11Window.
// - SDL_SYSWMEVENT events are on while a display is watched; each one goes to NoteX11Event
//   before the next SDL event is taken (SDL reuses its message).

bool WatchX11Display(SDL_Window* Window);
bool UnwatchX11Display();
bool X11DisplayLost();

void RegisterX11Window(SDL_Window* Window);
void ForgetX11Window(SDL_Window* Window);
void NoteX11Event(const SDL_Event& Event);

// Whether another client destroyed the window with this SDL id.
bool X11WindowDestroyed(Uint32 WindowId);
// The SDL id of a window of ours that another client destroyed, each once; 0 when none.
Uint32 TakeDestroyedX11Window();
