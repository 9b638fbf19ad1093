#include "XServer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

// Last: Xlib's macros would break the headers above.
#include <X11/Xlib.h>

std::string Shell(const std::string& Command) {
  FILE* f = popen(("timeout 10 " + Command + " 2>/dev/null").c_str(), "r");
  if (!f) return {};
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
  pclose(f);
  return out;
}

unsigned long FindWindowByTitle(const std::string& Title) {
  std::istringstream ids(Shell("xdotool search --onlyvisible --name '^" + Title + "$'"));
  unsigned long id = 0;
  ids >> id;
  return id;
}

TScreenShot CaptureWindow(unsigned long Window) {
  TScreenShot shot;
  if (!Window) return shot;  // import would wait for a click to choose a window
  const std::string file = "/tmp/orvel-sdl2-shot-" + std::to_string(getpid()) + ".ppm";
  Shell("import -window " + std::to_string(Window) + " -depth 8 ppm:" + file);
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> shot.Width >> shot.Height >> maxval;
  in.get();
  if (magic != "P6" || maxval != 255 || shot.Width <= 0 || shot.Height <= 0) return TScreenShot{};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  unlink(file.c_str());
  if (bytes.size() < size_t(shot.Width) * size_t(shot.Height) * 3) return TScreenShot{};
  shot.Pixels.resize(size_t(shot.Width) * size_t(shot.Height));
  for (size_t i = 0; i < shot.Pixels.size(); ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i * 3;
    shot.Pixels[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  return shot;
}

void CoverAndUncover(unsigned long Window) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  XWindowAttributes a;
  ::Window child = 0;
  int x = 0, y = 0;
  if (XGetWindowAttributes(d, Window, &a) &&
      XTranslateCoordinates(d, Window, DefaultRootWindow(d), 0, 0, &x, &y, &child)) {
    XSetWindowAttributes s{};
    s.override_redirect = True;  // no window manager moves it elsewhere
    s.background_pixel = WhitePixel(d, DefaultScreen(d));
    const ::Window cover = XCreateWindow(d, DefaultRootWindow(d), x, y, unsigned(a.width), unsigned(a.height), 0,
                                         CopyFromParent, InputOutput, CopyFromParent,
                                         CWOverrideRedirect | CWBackPixel, &s);
    XMapRaised(d, cover);
    XSync(d, False);
    usleep(100000);
    XDestroyWindow(d, cover);
    XSync(d, False);
  }
  XCloseDisplay(d);
}
