/* Preloaded into the emulator (LD_PRELOAD): answers the line calls it makes on the
   pseudo-terminal that stands for the guest's second UART, which a pseudo-terminal cannot
   answer itself. The emulator applies the guest's line settings with tcsetattr, sets DTR and
   RTS with TIOCMSET, reads the modem lines with TIOCMGET and sends a break with tcsendbreak;
   the shim records the first three in the shared file ORVEL_UART_LINES and answers TIOCMGET
   from the lines the test put there. Calls on any other descriptor pass through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "UartLines.h"

static struct TUartLines* Lines(void) {
  static struct TUartLines* lines;
  static int tried;
  if (!__atomic_load_n(&tried, __ATOMIC_ACQUIRE)) {
    const char* path = getenv("ORVEL_UART_LINES");
    int fd = path ? open(path, O_RDWR | O_CLOEXEC) : -1;
    if (fd >= 0) {
      void* p = mmap(NULL, sizeof(struct TUartLines), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      close(fd);
      if (p != MAP_FAILED && ((struct TUartLines*)p)->Magic == ORVEL_UART_LINES_MAGIC) lines = p;
    }
    __atomic_store_n(&tried, 1, __ATOMIC_RELEASE);
  }
  return lines;
}

/* Whether fd is the pseudo-terminal ORVEL_UART_PTY names. */
static int IsUartPty(int fd) {
  const char* path = getenv("ORVEL_UART_PTY");
  struct stat want, got;
  if (!path || stat(path, &want) < 0 || fstat(fd, &got) < 0) return 0;
  return S_ISCHR(got.st_mode) && got.st_rdev == want.st_rdev && Lines() != NULL;
}

static void Add(uint32_t* field, uint32_t n) { __atomic_add_fetch(field, n, __ATOMIC_SEQ_CST); }
static void Put(uint32_t* field, uint32_t v) { __atomic_store_n(field, v, __ATOMIC_SEQ_CST); }
static uint32_t Get(uint32_t* field) { return __atomic_load_n(field, __ATOMIC_SEQ_CST); }

int tcsetattr(int fd, int when, const struct termios* t) {
  static int (*real)(int, int, const struct termios*);
  if (!real) real = (int (*)(int, int, const struct termios*))dlsym(RTLD_NEXT, "tcsetattr");
  if (IsUartPty(fd)) {
    struct TUartLines* l = Lines();
    Put(&l->Speed, (uint32_t)cfgetospeed(t));
    Put(&l->Cflag, (uint32_t)t->c_cflag);
    Add(&l->Settings, 1);
  }
  return real(fd, when, t);
}

int tcsendbreak(int fd, int duration) {
  static int (*real)(int, int);
  if (!real) real = (int (*)(int, int))dlsym(RTLD_NEXT, "tcsendbreak");
  if (IsUartPty(fd)) {
    Add(&Lines()->Breaks, 1);
    return 0;
  }
  return real(fd, duration);
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real)(int, unsigned long, ...);
  if (!real) real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
  va_list ap;
  va_start(ap, request);
  void* arg = va_arg(ap, void*);
  va_end(ap);
  const int modem = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
  if (!modem || !IsUartPty(fd)) return real(fd, request, arg);
  struct TUartLines* l = Lines();
  const uint32_t out = TIOCM_DTR | TIOCM_RTS;
  int* bits = arg;
  switch (request) {
    case TIOCMGET: *bits = (int)((Get(&l->InLines) & ~out) | Get(&l->OutLines)); return 0;
    case TIOCMSET: Put(&l->OutLines, (uint32_t)*bits & out); break;
    case TIOCMBIS: Put(&l->OutLines, (Get(&l->OutLines) | (uint32_t)*bits) & out); break;
    default: Put(&l->OutLines, Get(&l->OutLines) & ~(uint32_t)*bits & out); break;
  }
  Add(&l->ModemWrites, 1);
  return 0;
}
