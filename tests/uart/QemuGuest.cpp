#include "uart/QemuGuest.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/kernel/Tick.h"

extern char** environ;

namespace {

std::string FindOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string full = dir + "/" + name;
    if (!dir.empty() && access(full.c_str(), X_OK) == 0) return full;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

bool Exists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

}  // namespace

TQemuGuest::~TQemuGuest() { Stop(); }

std::string TQemuGuest::Start(const TQemuGuestFiles& files) {
  const std::string emulator = FindOnPath(files.Emulator);
  if (emulator.empty()) return files.Emulator + " is not installed (scripts/setup installs qemu-system-x86)";
  std::string kernel = files.KernelDir + "/vmlinux";
  if (!Exists(kernel)) kernel = files.KernelDir + "/vmlinuz";
  if (!Exists(kernel)) return "no guest kernel in " + files.KernelDir + " (scripts/setup fetches it)";
  if (!Exists(files.Initrd)) return "no guest file system at " + files.Initrd + " (busybox-static missing at configure time?)";
  if (!Exists(files.Shim)) return "no emulator shim at " + files.Shim;
  if (!FPty.Ok()) return "failed: no pseudo-terminal";

  char tmpl[] = "/tmp/orvel-uart-XXXXXX";
  if (!mkdtemp(tmpl)) return "failed: no temporary folder";
  FDir = tmpl;
  const std::string linesPath = FDir + "/lines";
  const int lf = open(linesPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lf < 0 || ftruncate(lf, sizeof(TUartLines)) < 0) return "failed: lines file";
  void* p = mmap(nullptr, sizeof(TUartLines), PROT_READ | PROT_WRITE, MAP_SHARED, lf, 0);
  close(lf);
  if (p == MAP_FAILED) return "failed: mapping the lines file";
  FLines = static_cast<TUartLines*>(p);
  FLines->Magic = ORVEL_UART_LINES_MAGIC;

  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) < 0 || pipe2(out, O_CLOEXEC) < 0) return "failed: pipes";
  const std::string monitor = FDir + "/monitor";
  const std::string errLog = FDir + "/emulator.log";
  std::vector<std::string> args = {
      emulator, "-nographic", "-m", "128M", "-no-reboot", "-nic", "none",
      "-kernel", kernel, "-initrd", files.Initrd,
      // The guest's console on ttyS0; five 8250 ports, of which ttyS2 to ttyS4 have no UART.
      "-append", "console=ttyS0 8250.nr_uarts=5 quiet loglevel=1 panic=-1",
      "-monitor", "unix:" + monitor + ",server=on,wait=off", "-serial", "stdio",
      "-chardev", "serial,id=uart,path=" + FPty.SlavePath(), "-serial", "chardev:uart"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = {"LD_PRELOAD=" + files.Shim, "ORVEL_UART_PTY=" + FPty.SlavePath(),
                                  "ORVEL_UART_LINES=" + linesPath};
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "LD_PRELOAD=", 11) != 0 && std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0) env.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  // The emulator goes with this program, also when it is killed (a test's time limit).
  const int errFd = open(errLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parent = getpid();
  FPid = fork();
  if (FPid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(in[0], 0);
    dup2(out[1], 1);
    if (errFd >= 0) dup2(errFd, 2);
    execve(emulator.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (errFd >= 0) close(errFd);
  close(in[0]);
  close(out[1]);
  FIn = in[1];
  FOut = out[0];
  if (FPid < 0) return "failed: starting " + emulator + ": " + strerror(errno);

  // Boot: the program says "ready" (a few seconds, far longer on a loaded machine).
  std::string answer = Answer(90000);
  if (answer != "ready") {
    std::string log;
    if (FILE* f = fopen(errLog.c_str(), "r")) {
      char buf[2048];
      log.assign(buf, fread(buf, 1, sizeof buf - 1, f));
      fclose(f);
    }
    return "failed: the guest did not start; console: " + ConsoleTail() + "; emulator: " + log;
  }
  FMonitor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, monitor.c_str(), sizeof a.sun_path - 1);
  if (connect(FMonitor, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) return "failed: no monitor";
  return "";
}

bool TQemuGuest::SendBreak() {
  const std::string cmd = "chardev-send-break uart\n";
  if (write(FMonitor, cmd.data(), cmd.size()) != ssize_t(cmd.size())) return false;
  // The monitor echoes and prompts; keep its socket from filling up.
  char buf[4096];
  pollfd p{FMonitor, POLLIN, 0};
  while (poll(&p, 1, 200) > 0 && read(FMonitor, buf, sizeof buf) > 0) {
  }
  return true;
}

bool TQemuGuest::ReadLine(std::string& line, int ms) {
  const uint64_t end = GetTickCount64() + uint64_t(ms);
  for (;;) {
    const size_t nl = FPending.find('\n');
    if (nl != std::string::npos) {
      line = FPending.substr(0, nl);
      FPending.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    const uint64_t now = GetTickCount64();
    if (FOut < 0 || now >= end) return false;
    pollfd p{FOut, POLLIN, 0};
    if (poll(&p, 1, int(end - now)) <= 0) continue;
    char buf[4096];
    const ssize_t n = read(FOut, buf, sizeof buf);
    if (n <= 0) {
      close(FOut);
      FOut = -1;
      return false;
    }
    FPending.append(buf, size_t(n));
    FConsole.append(buf, size_t(n));
    if (FConsole.size() > 65536) FConsole.erase(0, FConsole.size() - 32768);
  }
}

std::string TQemuGuest::Answer(int ms) {
  const uint64_t end = GetTickCount64() + uint64_t(ms);
  std::string line;
  for (;;) {
    const uint64_t now = GetTickCount64();
    if (now >= end || !ReadLine(line, int(end - now))) return "";
    // Kernel messages and the emulator's terminal codes share the console.
    const size_t at = line.find("@ ");
    if (at != std::string::npos) return line.substr(at + 2);
  }
}

std::string TQemuGuest::Command(const std::string& line, int ms) {
  const std::string text = line + "\n";
  if (FIn < 0 || write(FIn, text.data(), text.size()) != ssize_t(text.size())) return "";
  return Answer(ms);
}

std::string TQemuGuest::ConsoleTail() const {
  return FConsole.size() > 1500 ? FConsole.substr(FConsole.size() - 1500) : FConsole;
}

void TQemuGuest::Stop() {
  if (FPid > 0) {
    // The program ends and the guest powers off; the emulator is ended if it does not.
    if (FIn >= 0) {
      const char quit[] = "quit\n";
      (void)!write(FIn, quit, sizeof quit - 1);
    }
    int status = 0;
    const uint64_t end = GetTickCount64() + 10000;
    while (waitpid(FPid, &status, WNOHANG) == 0) {
      if (GetTickCount64() >= end) {
        kill(FPid, SIGKILL);
        waitpid(FPid, &status, 0);
        break;
      }
      usleep(20000);
    }
    FPid = -1;
  }
  for (int* fd : {&FIn, &FOut, &FMonitor})
    if (*fd >= 0) {
      close(*fd);
      *fd = -1;
    }
  if (FLines) munmap(FLines, sizeof(TUartLines));
  FLines = nullptr;
  if (!FDir.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(FDir, ec);
    FDir.clear();
  }
}
