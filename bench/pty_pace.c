/* Feeds a program the sensors' stream at the line's real rate, on a pseudo-terminal, in
 * writes of a chosen size, and measures what that costs it. The same writes go, at the same
 * moments, to a second pseudo-terminal read by the least a reader can do (wait until
 * readable, read, nothing else): the floor the program is compared with. A third reader adds
 * only the program's hand-over: a waiting thread hands each completed wait to a second
 * thread, which reads the bytes, and blocks until it has; its cost is the least any program
 * built that way can reach.
 *
 *   pty_pace --link PATH [--chunks 1,8,24,64] [--seconds 15] [--startup 4] [--settle 1]
 *            [--latency-chunk 8] [--rate 1920] -- PROGRAM [ARGUMENTS]
 *
 * PATH becomes a symbolic link to the program's pseudo-terminal; the program is started after
 * it. The stream (attitude and heading frames back to back, every reading changing from frame
 * to frame) runs from the start: first for the start-up time, then for each write size a
 * settling second and the measured seconds. Processor time is the scheduler's nanosecond
 * count of /proc/PID/task/N/schedstat, summed over the threads.
 *
 * With --latency-chunk, a last phase at that write size measures the time from the write
 * that carries a frame's last byte to the X server drawing the counter that frame changes,
 * as the damage extension reports it on the program's window (DISPLAY must be set). */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

static double Rate = 1920; /* bytes a second: 19200 baud, 10 bits a byte */

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static void SleepUntil(double t) {
  struct timespec ts = {(time_t)t, (long)((t - (double)(time_t)t) * 1e9)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, NULL) == EINTR) {
  }
}

static void Fail(const char* what) {
  fprintf(stderr, "pty_pace: %s: %s\n", what, strerror(errno));
  exit(1);
}

/* ---- the stream ---- */

enum { AttitudeLen = 17, HeadingLen = 7, PairLen = AttitudeLen + HeadingLen };

static uint8_t Pair[PairLen];
static int PairPos = PairLen; /* next byte of Pair to send */
static long PairCount = 0;

static void NextPair(void) {
  /* Roll sweeps -40..40, pitch -20..20, heading turns 0..359: every counter changes. */
  const long i = PairCount++;
  const int16_t roll = (int16_t)(i % 81 - 40), pitch = (int16_t)(20 - i % 41);
  const uint16_t heading = (uint16_t)(i % 360);
  const uint8_t a[AttitudeLen] = {0x82, 0xFF, 0x0C, 0x37, 0x00, (uint8_t)roll, (uint8_t)((uint16_t)roll >> 8),
                                  (uint8_t)pitch, (uint8_t)((uint16_t)pitch >> 8), 0, 0, 0, 0, 0,
                                  (uint8_t)(1 + i % 3), 0, 0};
  const uint8_t h[HeadingLen] = {0x82, 0xFF, 0x03, 0x32, (uint8_t)heading, (uint8_t)(heading >> 8),
                                 (uint8_t)(1 + i % 2)};
  memcpy(Pair, a, AttitudeLen);
  memcpy(Pair + AttitudeLen, h, HeadingLen);
  PairPos = 0;
}

/* Fills Chunk with the next Size bytes; returns a bit set of the frames whose last byte it
 * carries (1 attitude, 2 heading). */
static int NextChunk(uint8_t* Chunk, int Size) {
  int ends = 0;
  for (int k = 0; k < Size; ++k) {
    if (PairPos == PairLen) NextPair();
    Chunk[k] = Pair[PairPos++];
    if (PairPos == AttitudeLen) ends |= 1;
    if (PairPos == PairLen) ends |= 2;
  }
  return ends;
}

/* ---- pseudo-terminals ---- */

typedef struct {
  int Master, Slave;
  char Path[128];
} TPty;

static void OpenPty(TPty* p) {
  p->Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p->Master < 0 || grantpt(p->Master) != 0 || unlockpt(p->Master) != 0) Fail("posix_openpt");
  snprintf(p->Path, sizeof p->Path, "%s", ptsname(p->Master));
  /* Held open (raw) by us too, so that the line is never hung up and bytes written before the
   * reader opens it arrive as they are. */
  p->Slave = open(p->Path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p->Slave < 0) Fail(p->Path);
  struct termios t;
  if (tcgetattr(p->Slave, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(p->Slave, TCSANOW, &t);
  }
  fcntl(p->Master, F_SETFL, fcntl(p->Master, F_GETFL) | O_NONBLOCK);
}

static void WriteAll(int Fd, const uint8_t* Bytes, int Size) {
  while (Size > 0) {
    const ssize_t n = write(Fd, Bytes, (size_t)Size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return; /* a full queue: the reader is not keeping up, which shows in its figures */
    Bytes += n;
    Size -= (int)n;
  }
}

static int OpenRaw(const char* Path) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  const int fd = open(Path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) _exit(1);
  struct termios t;
  if (tcgetattr(fd, &t) == 0) {
    cfmakeraw(&t);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
  }
  return fd;
}

static void ReadAll(int Fd) {
  uint8_t buf[8192];
  while (read(Fd, buf, sizeof buf) > 0) {
  }
}

/* The floor: nothing but waiting and reading. */
static void MinimalReader(const char* Path) {
  const int fd = OpenRaw(Path);
  struct pollfd p = {fd, POLLIN, 0};
  for (;;) {
    if (poll(&p, 1, -1) < 0 && errno != EINTR) _exit(1);
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) _exit(0);
    ReadAll(fd);
  }
}

/* The floor of a blocking hand-over: the waiting thread wakes the reading thread's epoll
 * through an eventfd and sleeps on a condition until the bytes are read. */
static struct {
  int Port, Wake;
  pthread_mutex_t Lock;
  pthread_cond_t Read;
  int Done;
} HandOver = {-1, -1, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, 0};

static void* WaitingThread(void* Unused) {
  (void)Unused;
  const int ep = epoll_create1(EPOLL_CLOEXEC);
  struct epoll_event e = {EPOLLIN, {0}};
  if (ep < 0 || epoll_ctl(ep, EPOLL_CTL_ADD, HandOver.Port, &e) != 0) _exit(1);
  for (;;) {
    struct epoll_event got;
    if (epoll_wait(ep, &got, 1, -1) < 1) continue;
    if (got.events & (EPOLLHUP | EPOLLERR)) _exit(0);
    pthread_mutex_lock(&HandOver.Lock);
    HandOver.Done = 0;
    const uint64_t one = 1;
    if (write(HandOver.Wake, &one, sizeof one) != sizeof one) _exit(1);
    while (!HandOver.Done) pthread_cond_wait(&HandOver.Read, &HandOver.Lock);
    pthread_mutex_unlock(&HandOver.Lock);
  }
  return NULL;
}

static void HandOverReader(const char* Path) {
  HandOver.Port = OpenRaw(Path);
  HandOver.Wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  const int ep = epoll_create1(EPOLL_CLOEXEC);
  struct epoll_event e = {EPOLLIN, {0}};
  pthread_t waiting;
  if (HandOver.Wake < 0 || ep < 0 || epoll_ctl(ep, EPOLL_CTL_ADD, HandOver.Wake, &e) != 0 ||
      pthread_create(&waiting, NULL, WaitingThread, NULL) != 0)
    _exit(1);
  for (;;) {
    struct epoll_event got;
    if (epoll_wait(ep, &got, 1, -1) < 1) continue;
    uint64_t count;
    if (read(HandOver.Wake, &count, sizeof count) != sizeof count) continue;
    ReadAll(HandOver.Port);
    pthread_mutex_lock(&HandOver.Lock);
    HandOver.Done = 1;
    pthread_cond_signal(&HandOver.Read);
    pthread_mutex_unlock(&HandOver.Lock);
  }
}

/* ---- measuring ---- */

static double CpuSeconds(pid_t Pid) {
  char dir[64];
  snprintf(dir, sizeof dir, "/proc/%d/task", (int)Pid);
  DIR* d = opendir(dir);
  if (!d) return -1;
  double sum = 0;
  struct dirent* e;
  while ((e = readdir(d))) {
    if (e->d_name[0] == '.') continue;
    char path[400];
    snprintf(path, sizeof path, "%s/%s/schedstat", dir, e->d_name);
    FILE* f = fopen(path, "r");
    if (!f) continue; /* a thread that just ended */
    unsigned long long ns = 0;
    if (fscanf(f, "%llu", &ns) == 1) sum += (double)ns * 1e-9;
    fclose(f);
  }
  closedir(d);
  return sum;
}

static long StatusKb(pid_t Pid, const char* Field) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/status", (int)Pid);
  FILE* f = fopen(path, "r");
  if (!f) return -1;
  long kb = -1;
  const size_t n = strlen(Field);
  while (fgets(line, sizeof line, f))
    if (strncmp(line, Field, n) == 0 && line[n] == ':') kb = strtol(line + n + 1, NULL, 10);
  fclose(f);
  return kb;
}

/* ---- the X side of the latency ---- */

typedef struct {
  Display* Dpy;
  int DamageEvent;
  Window Win;
} TScreen;

static Window FindWindowOf(Display* Dpy, Window W, pid_t Pid, Atom PidAtom, int Depth) {
  Atom type;
  int format;
  unsigned long items, after;
  unsigned char* data = NULL;
  if (XGetWindowProperty(Dpy, W, PidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
          Success && data) {
    const long owner = items == 1 ? *(long*)data : -1;
    XFree(data);
    if (owner == Pid) return W;
  }
  if (Depth == 0) return 0;
  Window root, parent, *kids = NULL;
  unsigned int n = 0;
  Window found = 0;
  if (XQueryTree(Dpy, W, &root, &parent, &kids, &n)) {
    for (unsigned int i = 0; i < n && !found; ++i) found = FindWindowOf(Dpy, kids[i], Pid, PidAtom, Depth - 1);
    if (kids) XFree(kids);
  }
  return found;
}

static int OpenScreen(TScreen* s, pid_t Pid) {
  s->Dpy = XOpenDisplay(NULL);
  int error;
  if (!s->Dpy || !XDamageQueryExtension(s->Dpy, &s->DamageEvent, &error)) return 0;
  s->Win = FindWindowOf(s->Dpy, DefaultRootWindow(s->Dpy), Pid, XInternAtom(s->Dpy, "_NET_WM_PID", False), 3);
  if (!s->Win) return 0;
  XDamageCreate(s->Dpy, s->Win, XDamageReportRawRectangles);
  XSync(s->Dpy, False);
  while (XPending(s->Dpy)) {
    XEvent e;
    XNextEvent(s->Dpy, &e);
  }
  return 1;
}

/* Where each reading's counter is on the window. */
typedef struct {
  int X, Y, W, H;
} TArea;
static const TArea RollCounter = {104, 0, 49, 17}, HeadingCounter = {104, 256, 49, 17};

static int Meets(const TArea* a, const XRectangle* r) {
  return r->x < a->X + a->W && a->X < r->x + r->width && r->y < a->Y + a->H && a->Y < r->y + r->height;
}

enum { MaxPending = 64, MaxSamples = 100000 };
typedef struct {
  double Since[MaxPending];
  int Count;
} TPending;

static double Samples[MaxSamples];
static int SampleCount = 0;

static void Shown(TPending* p, double At) {
  for (int i = 0; i < p->Count && SampleCount < MaxSamples; ++i) Samples[SampleCount++] = (At - p->Since[i]) * 1e6;
  p->Count = 0;
}

static void Expect(TPending* p, double Since) {
  if (p->Count < MaxPending) p->Since[p->Count++] = Since;
}

static int CompareDouble(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

/* ---- the run ---- */

typedef struct {
  TPty* Ptys;
  int PtyCount;
  TScreen* Screen; /* when measuring latency */
  TPending Roll, Heading;
} TFeed;

/* Streams for Seconds at Size bytes a write, paced from the start so that the rate holds
 * however late a write comes. */
static void Stream(TFeed* f, int Size, double Seconds) {
  uint8_t chunk[256];
  const double start = Now(), step = Size / Rate;
  int fd = f->Screen ? ConnectionNumber(f->Screen->Dpy) : -1;
  for (long k = 0;; ++k) {
    const double due = start + (double)k * step;
    if (due - start >= Seconds) break;
    if (!f->Screen) {
      SleepUntil(due);
    } else {
      for (;;) {
        while (XPending(f->Screen->Dpy)) {
          XEvent e;
          XNextEvent(f->Screen->Dpy, &e);
          if (e.type != f->Screen->DamageEvent + XDamageNotify) continue;
          const XDamageNotifyEvent* d = (const XDamageNotifyEvent*)&e;
          const double at = Now();
          if (Meets(&RollCounter, &d->area)) Shown(&f->Roll, at);
          if (Meets(&HeadingCounter, &d->area)) Shown(&f->Heading, at);
        }
        const double left = due - Now();
        if (left <= 0) break;
        struct timespec ts = {(time_t)left, (long)((left - (double)(time_t)left) * 1e9)};
        struct pollfd p = {fd, POLLIN, 0};
        ppoll(&p, 1, &ts, NULL);
      }
    }
    const int ends = NextChunk(chunk, Size);
    for (int i = 0; i < f->PtyCount; ++i) WriteAll(f->Ptys[i].Master, chunk, Size);
    const double written = Now();
    if (f->Screen && (ends & 1)) Expect(&f->Roll, written);
    if (f->Screen && (ends & 2)) Expect(&f->Heading, written);
    /* What the program writes (its commands) is not answered; keep the queue empty. */
    uint8_t drain[256];
    while (read(f->Ptys[0].Master, drain, sizeof drain) > 0) {
    }
  }
}

static void Usage(void) {
  fprintf(stderr,
          "usage: pty_pace --link PATH [--chunks 1,8,24,64] [--seconds 15] [--startup 4] [--settle 1]\n"
          "                [--latency-chunk N] [--rate BYTES_PER_S] -- PROGRAM [ARGUMENTS]\n");
  exit(2);
}

int main(int argc, char** argv) {
  const char* link = NULL;
  char chunkList[128] = "1,8,24,64";
  double seconds = 15, startup = 4, settle = 1;
  int latencyChunk = 0, i = 1;
  for (; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      ++i;
      break;
    }
    if (i + 1 >= argc) Usage();
    if (strcmp(argv[i], "--link") == 0) link = argv[++i];
    else if (strcmp(argv[i], "--chunks") == 0) snprintf(chunkList, sizeof chunkList, "%s", argv[++i]);
    else if (strcmp(argv[i], "--seconds") == 0) seconds = atof(argv[++i]);
    else if (strcmp(argv[i], "--startup") == 0) startup = atof(argv[++i]);
    else if (strcmp(argv[i], "--settle") == 0) settle = atof(argv[++i]);
    else if (strcmp(argv[i], "--latency-chunk") == 0) latencyChunk = atoi(argv[++i]);
    else if (strcmp(argv[i], "--rate") == 0) Rate = atof(argv[++i]);
    else Usage();
  }
  if (!link || i >= argc) Usage();

  TPty ptys[3];
  for (int k = 0; k < 3; ++k) OpenPty(&ptys[k]);
  unlink(link);
  if (symlink(ptys[0].Path, link) != 0) Fail(link);

  const pid_t reader = fork();
  if (reader == 0) MinimalReader(ptys[1].Path);
  const pid_t handOver = fork();
  if (handOver == 0) HandOverReader(ptys[2].Path);
  const pid_t program = fork();
  if (program == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execvp(argv[i], argv + i);
    _exit(127);
  }

  TFeed feed = {ptys, 3, NULL, {{0}, 0}, {{0}, 0}};
  Stream(&feed, 24, startup);

  printf("%-16s %14s %14s %10s %16s %10s\n", "bytes per write", "program", "floor", "ratio", "hand-over floor",
         "writes/s");
  long rssMax = 0;
  for (char* tok = strtok(chunkList, ","); tok; tok = strtok(NULL, ",")) {
    const int size = atoi(tok);
    if (size < 1 || size > 256) continue;
    Stream(&feed, size, settle);
    const double t0 = Now(), p0 = CpuSeconds(program), r0 = CpuSeconds(reader), h0 = CpuSeconds(handOver);
    for (double done = 0; done < seconds; done += 1) {
      Stream(&feed, size, seconds - done < 1 ? seconds - done : 1);
      const long rss = StatusKb(program, "VmRSS");
      if (rss > rssMax) rssMax = rss;
    }
    const double t1 = Now(), p1 = CpuSeconds(program), r1 = CpuSeconds(reader), h1 = CpuSeconds(handOver);
    if (p0 < 0 || p1 < 0) {
      fprintf(stderr, "pty_pace: the program ended\n");
      return 1;
    }
    const double wall = t1 - t0, prog = 100 * (p1 - p0) / wall, floor = 100 * (r1 - r0) / wall;
    printf("%-16d %12.2f %% %12.2f %% %9.1fx %14.2f %% %10.0f\n", size, prog, floor, floor > 0 ? prog / floor : 0,
           100 * (h1 - h0) / wall, Rate / size);
    fflush(stdout);
  }
  printf("resident memory: %.1f MB at most (sampled each second), peak %.1f MB\n", (double)rssMax / 1024,
         (double)StatusKb(program, "VmHWM") / 1024);

  int status = 0;
  if (latencyChunk > 0) {
    TScreen screen;
    if (!OpenScreen(&screen, program)) {
      fprintf(stderr, "pty_pace: no window of the program with the damage extension\n");
      status = 1;
    } else {
      feed.Screen = &screen;
      feed.PtyCount = 1; /* the floor has nothing to show */
      Stream(&feed, latencyChunk, seconds);
      /* Frames still waiting to be shown when the time ran out are not counted. */
      qsort(Samples, (size_t)SampleCount, sizeof Samples[0], CompareDouble);
      if (SampleCount == 0) {
        fprintf(stderr, "pty_pace: no frame was seen on the screen\n");
        status = 1;
      } else {
        const int n = SampleCount;
        printf("latency, last byte written to the counter drawn by the X server, %d-byte writes, %d frames:\n"
               "  p50 %.0f us, p99 %.0f us, max %.0f us\n",
               latencyChunk, n, Samples[n / 2], Samples[(int)(0.99 * (n - 1) + 0.5)], Samples[n - 1]);
      }
      XCloseDisplay(screen.Dpy);
    }
  }

  kill(program, SIGTERM);
  kill(reader, SIGTERM);
  kill(handOver, SIGTERM);
  for (int k = 0; k < 50 && waitpid(program, NULL, WNOHANG) == 0; ++k) usleep(100000);
  kill(program, SIGKILL);
  waitpid(program, NULL, 0);
  waitpid(reader, NULL, 0);
  waitpid(handOver, NULL, 0);
  unlink(link);
  return status;
}
