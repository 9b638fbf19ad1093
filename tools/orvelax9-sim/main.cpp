// orvelax9-sim: the AX-9 and KQ3 sensors on a pseudo-terminal (see --help).
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "Log.h"
#include "Options.h"
#include "PseudoTerminal.h"
#include "Simulator.h"

namespace {

int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const int saved = errno;
  const char b = 1;
  [[maybe_unused]] ssize_t n = write(gStopPipe[1], &b, 1);
  errno = saved;
}

bool InstallStopSignals() {
  if (pipe(gStopPipe) != 0) return false;
  for (int fd : gStopPipe) fcntl(fd, F_SETFD, FD_CLOEXEC);
  fcntl(gStopPipe[1], F_SETFL, O_NONBLOCK);
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP})
    if (sigaction(s, &sa, nullptr) != 0) return false;
  signal(SIGPIPE, SIG_IGN);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  const auto options = ParseOptions(argc, argv, exitCode);
  if (!options) return exitCode;
  if (!InstallStopSignals()) {
    LogLine("cannot install signal handlers");
    return 1;
  }
  try {
    PseudoTerminal pty;
    if (!options->LinkPath.empty()) pty.CreateLink(options->LinkPath);
    // The path goes out once the link is in place, so a reader may use either at once.
    if (options->PrintPath) {
      std::printf("%s\n", pty.DevicePath().c_str());
      std::fflush(stdout);
    }
    const uint32_t seed = options->Seed ? *options->Seed : uint32_t(time(nullptr));
    LogLine("sensors on " + pty.DevicePath() +
            (options->LinkPath.empty() ? "" : " (link " + options->LinkPath + ")") + ", noise seed " +
            std::to_string(seed));
    Simulator sim(*options, pty, seed);
    sim.Run(gStopPipe[0]);
  } catch (const std::exception& e) {
    LogLine(e.what());
    return 1;
  }
  return 0;
}
