#pragma once
#include <SDL.h>

#include <type_traits>

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
// - Every SDL call that may talk to the display runs inside X11Guarded. Xlib reports a broken
//   connection from inside the call that found it, and when the handler returns, that call
//   returns a failure SDL does not always check: the name of an atom, which it then compares,
//   a window it then waits to see mapped, for ever. Inside X11Guarded the call does not go
//   on: it ends at once, back in X11Guarded. Our own Xlib calls check what they get and need
//   no guard.
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

// Runs Call(Data) so that a loss of the display found inside it ends it at once: back here,
// answering false (X11DisplayLost is then true). Also false, without calling, when the display
// is already lost. The way back is a long jump over SDL's and Xlib's frames, which runs no
// destructors: nothing with one may live between this call and SDL's, so Call does little more
// than call SDL. What SDL and Xlib held at that moment stays held, which is why nothing may
// call SDL's video functions afterwards. May nest; without X11 it only calls.
bool X11Guarded(void (*Call)(void*), void* Data);

// The same for a lambda that captures by reference: X11Guarded([&] { SDL_ShowWindow(w); }).
template <class TCall>
bool X11Guarded(TCall&& Call) {
  using T = std::remove_reference_t<TCall>;
  static_assert(std::is_trivially_destructible_v<T>, "the way back out of SDL runs no destructors");
  return X11Guarded([](void* c) { (*static_cast<T*>(c))(); }, static_cast<void*>(&Call));
}
