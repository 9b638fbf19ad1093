#pragma once
#include <sys/types.h>

#include <string>

// An X server of the test's own (Xvfb, 1024 x 768 x 24), so that windows of tests running
// beside it can neither cover the window a test reads nor take its keys. DISPLAY points at
// it while it runs. Without Xvfb the display the tests were started on is used;
// Available() is false when there is neither.
class TVirtualDisplay {
 public:
  TVirtualDisplay();
  ~TVirtualDisplay();
  TVirtualDisplay(const TVirtualDisplay&) = delete;
  TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

  bool Available() const { return FAvailable; }

 private:
  pid_t FPid = -1;
  bool FAvailable = false;
  bool FHadDisplay = false;
  std::string FOldDisplay;
};
