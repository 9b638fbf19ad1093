#include "platform/ui/backend/sdl2/Sdl2Wait.h"

#include <vector>

#include "platform/kernel/EventObject.h"

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>

int DisplayConnection(SDL_Window* Window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  return ConnectionNumber(info.info.x11.display);
}

void WaitForInput(int DisplayFd, int WakeFd, uint32_t TimeoutMs) {
  // Events Xlib has already read (while waiting for a reply) are on no socket any more.
  SDL_PumpEvents();
  if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return;
  std::vector<THandle> fds;
  if (DisplayFd >= 0) fds.push_back(DisplayFd);
  if (WakeFd >= 0) fds.push_back(WakeFd);
  WaitForHandles(fds, TimeoutMs);
}
