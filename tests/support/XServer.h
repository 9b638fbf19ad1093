#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// An X server of the test program's own (Xvfb, 1024 x 768 unless Screen says otherwise), so
// that moving the pointer and looking windows up by name cannot disturb, or be disturbed by,
// tests running beside it on a shared display. DISPLAY points at it while it runs. Without Xvfb the display the tests
// were started on is used; Available() is false when there is none.
class TXServer {
 public:
  explicit TXServer(const char* Screen = "1024x768x24") : FScreen(Screen) {
    if (const char* d = std::getenv("DISPLAY")) {
      FHadDisplay = true;
      FOldDisplay = d;
    }
    if (Start()) return;
    FAvailable = FHadDisplay;
    if (!FAvailable && FWhy.empty()) FWhy = "needs Xvfb or an X display";
  }

  ~TXServer() {
    if (FPid > 0) End(SIGTERM);
    if (FHadDisplay)
      setenv("DISPLAY", FOldDisplay.c_str(), 1);
    else
      unsetenv("DISPLAY");
  }

  TXServer(const TXServer&) = delete;
  TXServer& operator=(const TXServer&) = delete;

  bool Available() const { return FAvailable; }
  // False when the display is the one the tests were started on, which must not be changed.
  bool Own() const { return FOwn; }
  const std::string& Why() const { return FWhy; }

  // Ends the server with `sig`, as a session's end (SIGTERM) or a crash (SIGKILL) would;
  // false when it is not a server of our own. DISPLAY still names it.
  bool Kill(int sig) {
    if (!FOwn || FPid <= 0) return false;
    End(sig);
    return true;
  }

 private:
  // A server that outlives its signal by 10 s is killed, with a line saying so: a test that
  // waited for it without end would hang until its time limit, telling nothing.
  void End(int sig) {
    kill(FPid, sig);
    for (int waited = 0; waitpid(FPid, nullptr, WNOHANG) == 0; waited += 5) {
      if (waited >= 10000) {
        fprintf(stderr, "Xvfb (pid %d) still ran 10 s after signal %d; killed\n", int(FPid), sig);
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
        break;
      }
      usleep(5000);
    }
    FPid = -1;
  }

  bool Start() {
    int fds[2];
    if (system("command -v Xvfb >/dev/null 2>&1") != 0 || pipe(fds) != 0) return false;
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
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", FScreen.c_str(), "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    const std::string number = FPid > 0 ? ReadDisplayNumber(fds[0]) : "";
    close(fds[0]);
    if (number.empty()) {
      // Not left running: a server that comes up late would be taken for the test's own.
      if (FPid > 0) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
        FPid = -1;
      }
      FWhy = "Xvfb did not start";
      return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    FAvailable = FOwn = true;
    return true;
  }

  // The display number Xvfb writes to the pipe once it accepts connections. Its start runs
  // the keymap compiler, which can take seconds on a loaded machine.
  static std::string ReadDisplayNumber(int fd) {
    std::string number;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 30000) == 1) {
      char c;
      if (read(fd, &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    return number;
  }

  std::string FScreen;
  pid_t FPid = -1;
  bool FAvailable = false;
  bool FOwn = false;
  std::string FWhy;
  std::string FOldDisplay;
  bool FHadDisplay = false;
};
