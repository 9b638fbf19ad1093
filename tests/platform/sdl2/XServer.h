#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// An X server of the test program's own (Xvfb, 1024 x 768), so that moving the pointer and
// looking windows up by name cannot disturb, or be disturbed by, tests running beside it on
// a shared display. DISPLAY points at it while it runs. Without Xvfb the display the tests
// were started on is used; Available() is false when there is none.
class TXServer {
 public:
  TXServer();
  ~TXServer();
  TXServer(const TXServer&) = delete;
  TXServer& operator=(const TXServer&) = delete;

  bool Available() const { return FAvailable; }
  const std::string& Why() const { return FWhy; }

 private:
  pid_t FPid = -1;
  bool FAvailable = false;
  std::string FWhy;
  std::string FOldDisplay;
  bool FHadDisplay = false;
};

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
