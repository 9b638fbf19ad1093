#include "WindowCloser.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

unsigned long FindWindow(int pid, const std::string& title) {
  // Other tests may show the same program on the same display at the same time.
  const std::string cmd =
      "xdotool search --all --pid " + std::to_string(pid) + " --name '" + title + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), &pclose);
  if (!p) return 0;
  char line[64];
  if (!std::fgets(line, sizeof line, p.get())) return 0;
  return std::strtoul(line, nullptr, 10);
}

bool RequestWindowClose(unsigned long window) {
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return false;
  auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
  auto atom = reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(x11, "XInternAtom"));
  auto send = reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(dlsym(x11, "XSendEvent"));
  auto sync = reinterpret_cast<int (*)(Display*, Bool)>(dlsym(x11, "XSync"));
  auto close = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
  bool sent = false;
  if (open && atom && send && sync && close) {
    if (Display* d = open(nullptr)) {
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = window;
      e.xclient.message_type = atom(d, "WM_PROTOCOLS", False);
      e.xclient.format = 32;
      e.xclient.data.l[0] = long(atom(d, "WM_DELETE_WINDOW", False));
      e.xclient.data.l[1] = CurrentTime;
      sent = send(d, window, False, NoEventMask, &e) != 0;
      sync(d, False);
      close(d);
    }
  }
  dlclose(x11);
  return sent;
}
