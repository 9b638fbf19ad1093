#include "VirtualDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Xvfb writes its display number and a line break to the pipe once it takes connections.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 10000) == 1) {
    char c;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  return number;
}

}  // namespace

TVirtualDisplay::TVirtualDisplay() {
  if (const char* d = std::getenv("DISPLAY")) {
    FHadDisplay = true;
    FOldDisplay = d;
  }
  FAvailable = FHadDisplay;
  int fds[2];
  if (system("command -v Xvfb >/dev/null 2>&1") != 0 || pipe(fds) != 0) return;
  FPid = fork();
  if (FPid == 0) {
    close(fds[0]);
    if (const int null = open("/dev/null", O_RDWR); null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    const std::string fd = std::to_string(fds[1]);
    // -noreset: a server that resets when its last client leaves refuses connections for a
    // moment, and SDL opens the display once to probe it, closes it and opens it again.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  const std::string number = FPid > 0 ? ReadDisplayNumber(fds[0]) : "";
  close(fds[0]);
  if (number.empty()) return;
  setenv("DISPLAY", (":" + number).c_str(), 1);
  FAvailable = true;
}

TVirtualDisplay::~TVirtualDisplay() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (FHadDisplay)
    setenv("DISPLAY", FOldDisplay.c_str(), 1);
  else
    unsetenv("DISPLAY");
}
