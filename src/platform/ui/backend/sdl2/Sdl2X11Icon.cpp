#include "platform/ui/backend/sdl2/Sdl2X11Icon.h"

#include <algorithm>

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

bool SetX11IconSizes(SDL_Window* Window, const std::vector<TIconImage>& Sizes) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  std::vector<const TIconImage*> order;
  for (const TIconImage& s : Sizes)
    if (s.Width > 0 && s.Height > 0 && s.Pixels.size() >= size_t(s.Width) * size_t(s.Height)) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->Width > b->Width; });
  // Each image is its width, its height, then its pixels as 0xAARRGGBB, one per long: the
  // property's 32-bit items travel as longs in Xlib, whatever their width.
  std::vector<unsigned long> data;
  for (const TIconImage* s : order) {
    data.push_back(static_cast<unsigned long>(s->Width));
    data.push_back(static_cast<unsigned long>(s->Height));
    for (size_t i = 0; i < size_t(s->Width) * size_t(s->Height); ++i) data.push_back(s->Argb(i));
  }
  if (data.empty()) return false;
  Display* display = info.info.x11.display;
  const Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
  XChangeProperty(display, info.info.x11.window, icon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
  XFlush(display);
  return true;
}
