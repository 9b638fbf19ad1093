#include "PseudoTerminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

namespace {

std::runtime_error SysFailure(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
  FMaster = posix_openpt(O_RDWR | O_NOCTTY);
  if (FMaster < 0) throw SysFailure("posix_openpt");
  if (grantpt(FMaster) != 0 || unlockpt(FMaster) != 0) throw SysFailure("grantpt/unlockpt");
  const char* name = ptsname(FMaster);
  if (!name) throw SysFailure("ptsname");
  FDevicePath = name;
  fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
  fcntl(FMaster, F_SETFD, FD_CLOEXEC);

  FSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (FSlave < 0) throw SysFailure("open " + FDevicePath);
  // Raw from the start: with the default echo a command would come straight back.
  termios t{};
  if (tcgetattr(FSlave, &t) == 0) {
    cfmakeraw(&t);
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    tcsetattr(FSlave, TCSANOW, &t);
  }

  // Added after our own open, so that only other openers are counted.
  FWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (FWatch >= 0 && inotify_add_watch(FWatch, name, IN_OPEN | IN_CLOSE) < 0) {
    close(FWatch);
    FWatch = -1;
  }
}

PseudoTerminal::~PseudoTerminal() {
  RemoveLink();
  if (FWatch >= 0) close(FWatch);
  if (FSlave >= 0) close(FSlave);
  if (FMaster >= 0) close(FMaster);
}

bool PseudoTerminal::ReadWatchEvents() {
  const bool wasOpen = LineOpen();
  alignas(inotify_event) char buf[4096];
  for (;;) {
    ssize_t n = read(FWatch, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (ssize_t off = 0; off < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buf + off);
      if (e->mask & IN_OPEN) ++FOpenCount;
      if (e->mask & IN_CLOSE) FOpenCount = FOpenCount > 0 ? FOpenCount - 1 : 0;
      off += ssize_t(sizeof(inotify_event) + e->len);
    }
  }
  return wasOpen != LineOpen();
}

void PseudoTerminal::ResetForNextOpener() {
  tcflush(FSlave, TCIOFLUSH);
  ioctl(FSlave, TIOCNXCL);
}

void PseudoTerminal::CreateLink(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) throw std::runtime_error(path + " exists and is not a symbolic link");
    if (unlink(path.c_str()) != 0) throw SysFailure("unlink " + path);
  }
  if (symlink(FDevicePath.c_str(), path.c_str()) != 0) throw SysFailure("symlink " + path);
  FLinkPath = path;
}

void PseudoTerminal::RemoveLink() {
  if (FLinkPath.empty()) return;
  // Only our own link: another simulator may have taken the name over meanwhile.
  char target[4096];
  ssize_t n = readlink(FLinkPath.c_str(), target, sizeof target - 1);
  if (n >= 0) {
    target[n] = '\0';
    if (FDevicePath == target) unlink(FLinkPath.c_str());
  }
  FLinkPath.clear();
}
