#include "XServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// The display number Xvfb writes to the pipe once it accepts connections.
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

TXServer::TXServer() {
  if (const char* d = std::getenv("DISPLAY")) {
    FHadDisplay = true;
    FOldDisplay = d;
  }
  int fds[2];
  if (system("command -v Xvfb >/dev/null 2>&1") == 0 && pipe(fds) == 0) {
    FPid = fork();
    if (FPid == 0) {
      close(fds[0]);
      if (const int null = open("/dev/null", O_WRONLY); null >= 0) {
        dup2(null, 1);
        dup2(null, 2);
      }
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    const std::string number = FPid > 0 ? ReadDisplayNumber(fds[0]) : "";
    close(fds[0]);
    if (!number.empty()) {
      setenv("DISPLAY", (":" + number).c_str(), 1);
      FAvailable = true;
      return;
    }
    FWhy = "Xvfb did not start";
  }
  FAvailable = FHadDisplay;
  if (!FAvailable && FWhy.empty()) FWhy = "needs Xvfb or an X display";
}

TXServer::~TXServer() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (FHadDisplay)
    setenv("DISPLAY", FOldDisplay.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

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
