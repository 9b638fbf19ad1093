#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the end-to-end tests see of the X display: windows found by process and title, their
// place and size, their size hints, their pixels, and the close request a window manager's
// close button sends. Xlib is loaded at run time, so the test program needs no X11 link of
// its own; every call opens the display named by DISPLAY and closes it again.

// The top-level window of process `pid` whose title matches the pattern `title` (xdotool's
// regular expression), found with xdotool; 0 when there is none (yet).
unsigned long FindWindow(int pid, const std::string& title);

struct TWindowGeometry {
  int X = 0, Y = 0;  // the client area's top-left corner on the screen
  int Width = 0, Height = 0;
  int ScreenWidth = 0, ScreenHeight = 0;
};
// False when the window or the display cannot be reached.
bool GetWindowGeometry(unsigned long window, TWindowGeometry& out);

// The window's WM_NORMAL_HINTS minimum and maximum sizes; 0 for a size it does not give.
struct TSizeHints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};
bool GetSizeHints(unsigned long window, TSizeHints& out);

// The pixels (0x00RRGGBB, row-major) of a rectangle of the window's client area; empty when
// they cannot be read.
std::vector<uint32_t> ReadWindowPixels(unsigned long window, int x, int y, int width, int height);

// Asks a window to close the way a window manager's close button does: a WM_DELETE_WINDOW
// message. False when the display or Xlib cannot be reached.
bool RequestWindowClose(unsigned long window);

// Destroys a window from another client, as `xdotool windowclose` does. False when the
// display or Xlib cannot be reached.
bool DestroyWindowFromOutside(unsigned long window);

// Sets a property (a string) on the root window, as a window manager does all the time; every
// client that watches the root's properties is told. False when the display or Xlib cannot be
// reached.
bool SetRootProperty(const std::string& name, const std::string& value);
