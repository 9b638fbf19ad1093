#include "platform/ui/backend/sdl2/Sdl2X11Watch.h"

#include <errno.h>
#include <setjmp.h>
#include <unistd.h>

#include <cstdio>
#include <map>

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

struct TOurWindow {
  Uint32 Id = 0;
  bool Live = true;        // not yet destroyed by us
  bool Destroyed = false;  // by another client
  bool Reported = false;
};

struct TWatch {
  Display* Connection = nullptr;
  bool Lost = false;
  std::map<XID, TOurWindow> Windows;
  XErrorHandler PreviousError = nullptr;
  XIOErrorHandler PreviousIo = nullptr;
  sigjmp_buf* Back = nullptr;  // where a loss inside SDL returns to, while a guarded call runs
};

TWatch& Watch() {
  static TWatch w;
  return w;
}

XID X11Window(SDL_Window* Window, Display** Connection = nullptr) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  if (Connection) *Connection = info.info.x11.display;
  return info.info.x11.window;
}

void MarkDestroyed(XID Window) {
  auto it = Watch().Windows.find(Window);
  if (it != Watch().Windows.end() && it->second.Live) it->second.Destroyed = true;
}

// A request on a window that no longer exists draws BadWindow, or BadDrawable for drawing
// into it. About a window of ours that is harmless: we destroyed it ourselves, or another
// client did and the backend reports that as a close.
int OnError(Display* D, XErrorEvent* E) {
  TWatch& w = Watch();
  if (D == w.Connection && (E->error_code == BadWindow || E->error_code == BadDrawable) &&
      w.Windows.count(E->resourceid)) {
    MarkDestroyed(E->resourceid);
    return 0;
  }
  return w.PreviousError ? w.PreviousError(D, E) : 0;
}

// Runs first for every broken connection; Xlib's own prints several lines about it.
int OnIoError(Display* D) {
  if (D == Watch().Connection) {
    Watch().Lost = true;
    return 0;
  }
  // Not the connection the backend works with (SDL keeps a second one): Xlib ends the process
  // when this returns. Ended here instead, without running static destructors under the
  // threads still at work, and in the same words as a loss the program handles itself.
  std::fprintf(stderr, "%s: the display was lost\n", program_invocation_short_name);
  std::fflush(stderr);
  _exit(1);
}

// Returning from here is what keeps Xlib from ending the process; its calls on this
// connection then return at once. Inside a guarded call, the call ends here instead.
void OnIoErrorExit(Display*, void*) {
  Watch().Lost = true;
  if (sigjmp_buf* back = Watch().Back) siglongjmp(*back, 1);
}

}  // namespace

bool WatchX11Display(SDL_Window* Window) {
  Display* connection = nullptr;
  if (!X11Window(Window, &connection) || !connection) return false;
  TWatch& w = Watch();
  w = TWatch{};
  w.Connection = connection;
  w.PreviousError = XSetErrorHandler(OnError);
  w.PreviousIo = XSetIOErrorHandler(OnIoError);
  XSetIOErrorExitHandler(connection, OnIoErrorExit, nullptr);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  return true;
}

bool UnwatchX11Display() {
  TWatch& w = Watch();
  if (!w.Connection) return true;
  // The errors that requests already made will draw (destroying a window that another
  // client destroyed first) still come to our handler.
  XSync(w.Connection, False);
  if (w.Lost) return false;
  SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
  XSetIOErrorExitHandler(w.Connection, nullptr, nullptr);
  XSetIOErrorHandler(w.PreviousIo);
  XSetErrorHandler(w.PreviousError);
  w = TWatch{};
  return true;
}

bool X11DisplayLost() { return Watch().Lost; }

bool X11Guarded(void (*Call)(void*), void* Data) {
  if (Watch().Lost) return false;
  sigjmp_buf back;
  sigjmp_buf* volatile outer = Watch().Back;
  Watch().Back = &back;
  if (sigsetjmp(back, 0) == 0) Call(Data);
  Watch().Back = outer;
  return !Watch().Lost;
}

void RegisterX11Window(SDL_Window* Window) {
  if (!Watch().Connection) return;
  if (const XID x = X11Window(Window)) Watch().Windows[x] = TOurWindow{SDL_GetWindowID(Window)};
}

void ForgetX11Window(SDL_Window* Window) {
  const Uint32 id = SDL_GetWindowID(Window);
  for (auto& [x, w] : Watch().Windows)
    if (w.Id == id) w.Live = false;
}

void NoteX11Event(const SDL_Event& Event) {
  if (Event.type != SDL_SYSWMEVENT || !Event.syswm.msg || Event.syswm.msg->subsystem != SDL_SYSWM_X11) return;
  const XEvent& x = Event.syswm.msg->msg.x11.event;
  if (x.type == DestroyNotify) MarkDestroyed(x.xdestroywindow.window);
}

bool X11WindowDestroyed(Uint32 WindowId) {
  for (const auto& [x, w] : Watch().Windows)
    if (w.Id == WindowId && w.Live && w.Destroyed) return true;
  return false;
}

Uint32 TakeDestroyedX11Window() {
  for (auto& [x, w] : Watch().Windows)
    if (w.Live && w.Destroyed && !w.Reported) {
      w.Reported = true;
      return w.Id;
    }
  return 0;
}
