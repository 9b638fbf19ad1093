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
