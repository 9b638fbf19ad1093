#include "X11Client.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The few Xlib entry points the tests use, looked up once.
struct TXlib {
  void* Handle = nullptr;
  Display* (*OpenDisplay)(const char*) = nullptr;
  int (*CloseDisplay)(Display*) = nullptr;
  Atom (*InternAtom)(Display*, const char*, Bool) = nullptr;
  Status (*SendEvent)(Display*, Window, Bool, long, XEvent*) = nullptr;
  int (*Sync)(Display*, Bool) = nullptr;
  Status (*GetGeometry)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*) = nullptr;
  Bool (*TranslateCoordinates)(Display*, Window, Window, int, int, int*, int*, Window*) = nullptr;
  int (*DefaultScreenOf)(Display*) = nullptr;
  int (*ScreenWidthOf)(Display*, int) = nullptr;
  int (*ScreenHeightOf)(Display*, int) = nullptr;
  Status (*GetWMNormalHints)(Display*, Window, XSizeHints*, long*) = nullptr;
  XImage* (*GetImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int) = nullptr;
  int (*DestroyWindow)(Display*, Window) = nullptr;
  Window (*DefaultRootWindowOf)(Display*) = nullptr;
  int (*ChangeProperty)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int) = nullptr;
  bool Ok = false;

  TXlib() {
    Handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!Handle) return;
    Ok = Load(OpenDisplay, "XOpenDisplay") && Load(CloseDisplay, "XCloseDisplay") &&
         Load(InternAtom, "XInternAtom") && Load(SendEvent, "XSendEvent") && Load(Sync, "XSync") &&
         Load(GetGeometry, "XGetGeometry") && Load(TranslateCoordinates, "XTranslateCoordinates") &&
         Load(DefaultScreenOf, "XDefaultScreen") && Load(ScreenWidthOf, "XDisplayWidth") &&
         Load(ScreenHeightOf, "XDisplayHeight") && Load(GetWMNormalHints, "XGetWMNormalHints") &&
         Load(GetImage, "XGetImage") && Load(DestroyWindow, "XDestroyWindow") &&
         Load(DefaultRootWindowOf, "XDefaultRootWindow") && Load(ChangeProperty, "XChangeProperty");
  }
  template <class F>
  bool Load(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(Handle, name));
    return f != nullptr;
  }
};

TXlib& Xlib() {
  static TXlib x;  // stays loaded: the leak checker could not name what an unloaded library held
  return x;
}

// An open display for the length of one call.
struct TConnection {
  Display* D = nullptr;
  TConnection() {
    if (Xlib().Ok) D = Xlib().OpenDisplay(nullptr);
  }
  ~TConnection() {
    if (D) Xlib().CloseDisplay(D);
  }
};

}  // namespace

unsigned long FindWindow(int pid, const std::string& title) {
  // Other programs may show windows with the same title on the same display. A server that
  // does not answer must not hold the test past its callers' own time limits.
  const std::string cmd =
      "timeout 10 xdotool search --all --pid " + std::to_string(pid) + " --name '" + title + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), &pclose);
  if (!p) return 0;
  char line[64];
  if (!std::fgets(line, sizeof line, p.get())) return 0;
  return std::strtoul(line, nullptr, 10);
}

bool GetWindowGeometry(unsigned long window, TWindowGeometry& out) {
  TConnection c;
  if (!c.D) return false;
  Window root, child;
  int x, y;
  unsigned w, h, border, depth;
  if (!Xlib().GetGeometry(c.D, window, &root, &x, &y, &w, &h, &border, &depth)) return false;
  if (!Xlib().TranslateCoordinates(c.D, window, root, 0, 0, &out.X, &out.Y, &child)) return false;
  out.Width = int(w);
  out.Height = int(h);
  const int screen = Xlib().DefaultScreenOf(c.D);
  out.ScreenWidth = Xlib().ScreenWidthOf(c.D, screen);
  out.ScreenHeight = Xlib().ScreenHeightOf(c.D, screen);
  return true;
}

bool GetSizeHints(unsigned long window, TSizeHints& out) {
  TConnection c;
  if (!c.D) return false;
  XSizeHints hints{};
  long supplied = 0;
  if (!Xlib().GetWMNormalHints(c.D, window, &hints, &supplied)) return false;
  if (hints.flags & PMinSize) out.MinWidth = hints.min_width, out.MinHeight = hints.min_height;
  if (hints.flags & PMaxSize) out.MaxWidth = hints.max_width, out.MaxHeight = hints.max_height;
  return true;
}

std::vector<uint32_t> ReadWindowPixels(unsigned long window, int x, int y, int width, int height) {
  TConnection c;
  if (!c.D) return {};
  XImage* image = Xlib().GetImage(c.D, window, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (!image) return {};
  std::vector<uint32_t> pixels;
  pixels.reserve(size_t(width * height));
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) pixels.push_back(uint32_t(image->f.get_pixel(image, col, row)) & 0xFFFFFF);
  image->f.destroy_image(image);
  return pixels;
}

bool RequestWindowClose(unsigned long window) {
  TConnection c;
  if (!c.D) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = Xlib().InternAtom(c.D, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(Xlib().InternAtom(c.D, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = Xlib().SendEvent(c.D, window, False, NoEventMask, &e) != 0;
  Xlib().Sync(c.D, False);
  return sent;
}

bool DestroyWindowFromOutside(unsigned long window) {
  TConnection c;
  if (!c.D) return false;
  Xlib().DestroyWindow(c.D, window);
  Xlib().Sync(c.D, False);
  return true;
}

bool SetRootProperty(const std::string& name, const std::string& value) {
  TConnection c;
  if (!c.D) return false;
  const Atom property = Xlib().InternAtom(c.D, name.c_str(), False);
  const Atom type = Xlib().InternAtom(c.D, "UTF8_STRING", False);
  Xlib().ChangeProperty(c.D, Xlib().DefaultRootWindowOf(c.D), property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value.data()), int(value.size()));
  Xlib().Sync(c.D, False);
  return true;
}
