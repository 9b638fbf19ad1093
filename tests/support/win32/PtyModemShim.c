// Preloaded into Wine by the Windows serial tests (LD_PRELOAD), never shipped.
//
// A pseudo-terminal has no modem lines: TIOCMGET fails there with ENOTTY. Wine then refuses
// every comm wait whose mask has a modem bit (CTS, DSR, RING, RLSD), and the program's mask
// has them all. This library answers the modem-line requests on pseudo-terminal slaves as
// a line with a device on it would, and passes everything else on unchanged.
//
// Output lines (DTR, RTS) keep what Wine sets. Input lines (CTS, DSR, RI, CD) are CTS, DSR
// and CD on, unless the test's peer wrote other bits into
// $WINEPREFIX/orvel-serial/lines/<pty number> (a decimal number of TIOCM_ bits).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#define INPUT_LINES (TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR)
#define OUTPUT_LINES (TIOCM_DTR | TIOCM_RTS)

static int output_lines = TIOCM_DTR | TIOCM_RTS;

// Unix98 pseudo-terminal slaves have majors 136 to 143; the minor is the number in /dev/pts.
static int pty_number(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return -1;
  const unsigned ma = major(st.st_rdev);
  if (ma < 136 || ma > 143) return -1;
  return (int)((ma - 136) * 256 + minor(st.st_rdev));
}

static int input_lines(int pty) {
  int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
  const char* prefix = getenv("WINEPREFIX");
  if (!prefix) return lines;
  char path[4096];
  snprintf(path, sizeof path, "%s/orvel-serial/lines/%d", prefix, pty);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return lines;
  char text[32];
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n > 0) {
    text[n] = 0;
    lines = (int)strtol(text, NULL, 10);
  }
  return lines & INPUT_LINES;
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  va_list ap;
  va_start(ap, request);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  const int saved = errno;
  const int r = real_ioctl(fd, request, arg);
  if (r == 0 || errno != ENOTTY) return r;
  if (request != TIOCMGET && request != TIOCMSET && request != TIOCMBIS && request != TIOCMBIC) return r;
  const int pty = pty_number(fd);
  if (pty < 0 || !arg) {
    errno = ENOTTY;
    return r;
  }
  int* bits = (int*)arg;
  switch (request) {
    case TIOCMGET: *bits = output_lines | input_lines(pty); break;
    case TIOCMSET: output_lines = *bits & OUTPUT_LINES; break;
    case TIOCMBIS: output_lines |= *bits & OUTPUT_LINES; break;
    case TIOCMBIC: output_lines &= ~(*bits & OUTPUT_LINES); break;
  }
  errno = saved;
  return 0;
}
