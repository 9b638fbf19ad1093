#pragma once
#include <string>

// The X11 window of process `pid` whose title matches `title`, found with xdotool; 0 when
// there is none (yet).
unsigned long FindWindow(int pid, const std::string& title);

// Asks a window to close the way a window manager's close button does: a WM_DELETE_WINDOW
// message. Xlib is loaded at run time, so the test program needs no X11 link of its own.
// False when the display or Xlib cannot be reached.
bool RequestWindowClose(unsigned long window);
