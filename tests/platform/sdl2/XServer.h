#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/XServer.h"

// What a shell command writes to standard output (it is given at most 10 s).
std::string Shell(const std::string& Command);
// The mapped X window whose title is exactly Title; 0 when there is none.
unsigned long FindWindowByTitle(const std::string& Title);

// A window's pixels as the screen shows them, 0x00RRGGBB.
struct TScreenShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  uint32_t At(int X, int Y) const { return Pixels[size_t(Y) * size_t(Width) + size_t(X)]; }
};
TScreenShot CaptureWindow(unsigned long Window);

// Puts a white window of another client over all of Window for a moment and takes it away:
// the server reports what it covered as lost, and shows white there until it is drawn again.
void CoverAndUncover(unsigned long Window);
