// The device side of the Windows serial tests under Wine (a Linux program, never shipped).
//
// The Windows test starts it with the number of a loopback TCP port on which it listens;
// the peer connects there and serves one command per line until the connection ends, then
// removes what it made. Wine maps COM ports to what $WINEPREFIX/dosdevices/comN links to,
// so each port the peer opens is a pseudo-terminal whose slave it links as a free comN; it
// holds the master and plays the device.
//
//   open                  -> "ok N"       a new port COMN
//   send N HEX            -> "ok"         bytes to the program
//   recv N COUNT MS       -> "data HEX"   what the program sent, until COUNT bytes or MS ms
//   lines N BITS          -> "ok"         modem input lines the preloaded shim reports
//   hangup N              -> "ok"         the device vanishes: the master is closed
//   notadevice N          -> "ok"         COMN links to something that is no device
//   free N                -> "ok"
//   reserve               -> "ok N"       a free number COMN, linked by whoever plays it
//   run LOG ARG...        -> "ok PID"     a Linux program, its output to the file LOG
//   signal PID SIG        -> "ok"
//   status PID            -> "running", "exited CODE" or "killed SIG"
// A failure answers "err TEXT". Programs still running when the connection ends get SIGTERM,
// then SIGKILL a few seconds later. Every wait has a limit, and the peer ends by itself after
// ten minutes, so a test that dies cannot leave it behind for long.
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define FIRST_COM 40
#define LAST_COM 199
#define MAX_PORTS 16
#define MAX_CHILDREN 16

struct port {
  int com;   // 0: slot unused
  int master;
  int slave;  // held open so the line keeps its settings and never reads as hung up
  int lock;   // flock on comN.lock: which numbers are taken by running peers
  int pty;
};

static struct port ports[MAX_PORTS];

struct child {
  pid_t pid;  // 0: slot unused
  int status;
  int ended;
};
static struct child children[MAX_CHILDREN];
static char dir[4096];      // $WINEPREFIX/orvel-serial
static char dosdir[4096];   // $WINEPREFIX/dosdevices

static long long now_ms(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

static struct port* find(int com) {
  for (int i = 0; i < MAX_PORTS; ++i)
    if (ports[i].com == com && com != 0) return &ports[i];
  return NULL;
}

static void link_path(char* out, size_t size, int com) { snprintf(out, size, "%s/com%d", dosdir, com); }

static void lines_path(char* out, size_t size, int pty) { snprintf(out, size, "%s/lines/%d", dir, pty); }

static void close_fd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

static void free_port(struct port* p) {
  char path[4200];
  link_path(path, sizeof path, p->com);
  unlink(path);
  lines_path(path, sizeof path, p->pty);
  unlink(path);
  close_fd(&p->master);
  close_fd(&p->slave);
  close_fd(&p->lock);  // last: the number is free again
  p->com = 0;
}

// A COM number no other peer holds: the lock file of the number is held while the port lives.
static int take_number(int* lock) {
  for (int com = FIRST_COM; com <= LAST_COM; ++com) {
    char path[4200];
    snprintf(path, sizeof path, "%s/com%d.lock", dir, com);
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      *lock = fd;
      return com;
    }
    close(fd);
  }
  return -1;
}

static const char* open_port(int* com_out) {
  struct port* p = NULL;
  for (int i = 0; i < MAX_PORTS && !p; ++i)
    if (ports[i].com == 0) p = &ports[i];
  if (!p) return "too many ports";
  p->master = p->slave = p->lock = -1;
  p->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  const char* name = NULL;
  if (p->master >= 0 && grantpt(p->master) == 0 && unlockpt(p->master) == 0) name = ptsname(p->master);
  char slave[256] = "";
  if (name) snprintf(slave, sizeof slave, "%s", name);
  p->pty = atoi(slave + strlen("/dev/pts/"));
  if (name) p->slave = open(slave, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (p->slave < 0) {
    close_fd(&p->master);
    return "no pseudo-terminal";
  }
  // Raw from the start: a byte sent before the program sets the line must not echo back.
  struct termios t;
  tcgetattr(p->slave, &t);
  cfmakeraw(&t);
  tcsetattr(p->slave, TCSANOW, &t);
  const int com = take_number(&p->lock);
  if (com < 0) {
    close_fd(&p->master);
    close_fd(&p->slave);
    return "no free COM number";
  }
  p->com = com;
  char path[4200];
  link_path(path, sizeof path, com);
  unlink(path);  // left by a peer that was killed
  if (symlink(slave, path) != 0) {
    free_port(p);
    return "cannot link the port";
  }
  *com_out = com;
  return NULL;
}

static int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

static const char* send_bytes(struct port* p, const char* hex) {
  unsigned char buf[8192];
  size_t n = 0;
  for (; hex[0] && hex[1] && n < sizeof buf; hex += 2) {
    const int hi = hex_value(hex[0]), lo = hex_value(hex[1]);
    if (hi < 0 || lo < 0) return "bad hex";
    buf[n++] = (unsigned char)(hi * 16 + lo);
  }
  size_t done = 0;
  const long long end = now_ms() + 2000;
  while (done < n) {
    const ssize_t w = write(p->master, buf + done, n - done);
    if (w > 0) {
      done += (size_t)w;
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) return "write failed";
    if (now_ms() >= end) return "write timed out";
    struct pollfd pf = {p->master, POLLOUT, 0};
    poll(&pf, 1, 10);
  }
  return NULL;
}

// Answers "data HEX" with what arrived before the count or the time was reached.
static void receive(int sock, struct port* p, size_t count, int ms) {
  static char reply[2 * 65536 + 16];
  size_t len = (size_t)snprintf(reply, sizeof reply, "data ");
  size_t got = 0;
  const long long end = now_ms() + ms;
  if (count > 65536) count = 65536;
  while (got < count) {
    const long long left = end - now_ms();
    if (left <= 0) break;
    struct pollfd pf = {p->master, POLLIN, 0};
    if (poll(&pf, 1, (int)left) <= 0) continue;
    if (!(pf.revents & POLLIN)) break;
    unsigned char buf[4096];
    size_t want = count - got < sizeof buf ? count - got : sizeof buf;
    const ssize_t n = read(p->master, buf, want);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) len += (size_t)snprintf(reply + len, 3, "%02x", buf[i]);
    got += (size_t)n;
  }
  reply[len++] = '\n';
  send(sock, reply, len, MSG_NOSIGNAL);
}

static const char* set_lines(struct port* p, int bits) {
  char path[4200], tmp[4300];
  lines_path(path, sizeof path, p->pty);
  snprintf(tmp, sizeof tmp, "%s.new", path);
  FILE* f = fopen(tmp, "w");
  if (!f) return "cannot write the lines";
  fprintf(f, "%d\n", bits);
  fclose(f);
  return rename(tmp, path) == 0 ? NULL : "cannot write the lines";
}

static const char* not_a_device(struct port* p) {
  // A directory: the open of the port fails with an error other than "not found".
  char path[4200];
  link_path(path, sizeof path, p->com);
  unlink(path);
  return symlink(dir, path) == 0 ? NULL : "cannot link";
}

// A number taken like a port's, linked later by the program that plays the device.
static const char* reserve_port(int* com_out) {
  struct port* p = NULL;
  for (int i = 0; i < MAX_PORTS && !p; ++i)
    if (ports[i].com == 0) p = &ports[i];
  if (!p) return "too many ports";
  p->master = p->slave = p->lock = -1;
  p->pty = -1;
  const int com = take_number(&p->lock);
  if (com < 0) return "no free COM number";
  p->com = com;
  char path[4200];
  link_path(path, sizeof path, com);
  unlink(path);
  *com_out = com;
  return NULL;
}

static struct child* find_child(pid_t pid) {
  for (int i = 0; i < MAX_CHILDREN; ++i)
    if (children[i].pid == pid && pid != 0) return &children[i];
  return NULL;
}

static void reap(struct child* c, int options) {
  if (c->ended) return;
  if (waitpid(c->pid, &c->status, options) == c->pid) c->ended = 1;
}

// "run LOG ARG...": arguments are separated by single spaces and hold none.
static const char* run_program(char* args, pid_t* pid_out) {
  char* argv[64];
  int argc = 0;
  for (char* tok = strtok(args, " "); tok && argc < 63; tok = strtok(NULL, " ")) argv[argc++] = tok;
  argv[argc] = NULL;
  if (argc < 2) return "run needs a log and a program";
  struct child* c = find_child(0);
  for (int i = 0; i < MAX_CHILDREN && !c; ++i)
    if (children[i].pid == 0) c = &children[i];
  if (!c) return "too many programs";
  const int log = open(argv[0], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (log < 0) return "cannot write the log";
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(log, 1);
    dup2(log, 2);
    unsetenv("LD_PRELOAD");  // the shim is Wine's, not the program's
    signal(SIGPIPE, SIG_DFL);
    alarm(0);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  close(log);
  if (pid < 0) return "cannot start the program";
  c->pid = pid;
  c->ended = 0;
  *pid_out = pid;
  return NULL;
}

static void end_children(void) {
  for (int i = 0; i < MAX_CHILDREN; ++i)
    if (children[i].pid && (reap(&children[i], WNOHANG), !children[i].ended)) kill(children[i].pid, SIGTERM);
  const long long end = now_ms() + 3000;
  for (int i = 0; i < MAX_CHILDREN; ++i) {
    struct child* c = &children[i];
    while (c->pid && !c->ended && now_ms() < end) {
      reap(c, WNOHANG);
      if (!c->ended) usleep(10000);
    }
    if (c->pid && !c->ended) {
      kill(c->pid, SIGKILL);
      reap(c, 0);
    }
  }
}

static void serve(int sock) {
  char line[70000];
  size_t used = 0;
  for (;;) {
    char* nl = memchr(line, '\n', used);
    if (!nl) {
      if (used == sizeof line) return;
      const ssize_t n = recv(sock, line + used, sizeof line - used, 0);
      if (n <= 0) return;
      used += (size_t)n;
      continue;
    }
    *nl = 0;
    char cmd[32] = "";
    int com = 0, a = 0, b = 0, consumed = 0;
    sscanf(line, "%31s %d%n", cmd, &com, &consumed);
    struct port* p = find(com);
    const char* err = NULL;
    char reply[64] = "ok\n";
    if (strcmp(cmd, "open") == 0 || strcmp(cmd, "reserve") == 0) {
      int c = 0;
      err = cmd[0] == 'o' ? open_port(&c) : reserve_port(&c);
      snprintf(reply, sizeof reply, "ok %d\n", c);
    } else if (strcmp(cmd, "run") == 0) {
      pid_t pid = 0;
      err = run_program(line + 4, &pid);
      snprintf(reply, sizeof reply, "ok %d\n", (int)pid);
    } else if (strcmp(cmd, "signal") == 0 || strcmp(cmd, "status") == 0) {
      struct child* c = find_child(com);
      if (!c) {
        err = "no such program";
      } else if (cmd[1] == 'i') {
        if (sscanf(line + consumed, "%d", &a) != 1 || kill(c->pid, a) != 0) err = "cannot signal";
      } else {
        reap(c, WNOHANG);
        if (!c->ended) snprintf(reply, sizeof reply, "running\n");
        else if (WIFEXITED(c->status)) snprintf(reply, sizeof reply, "exited %d\n", WEXITSTATUS(c->status));
        else snprintf(reply, sizeof reply, "killed %d\n", WTERMSIG(c->status));
      }
    } else if (!p) {
      err = "no such port";
    } else if (strcmp(cmd, "send") == 0) {
      const char* hex = line + consumed;
      while (*hex == ' ') ++hex;
      err = send_bytes(p, hex);
    } else if (strcmp(cmd, "recv") == 0 && sscanf(line + consumed, "%d %d", &a, &b) == 2) {
      receive(sock, p, (size_t)a, b);
      reply[0] = 0;
    } else if (strcmp(cmd, "lines") == 0 && sscanf(line + consumed, "%d", &a) == 1) {
      err = set_lines(p, a);
    } else if (strcmp(cmd, "hangup") == 0) {
      close_fd(&p->master);
      close_fd(&p->slave);
    } else if (strcmp(cmd, "notadevice") == 0) {
      err = not_a_device(p);
    } else if (strcmp(cmd, "free") == 0) {
      free_port(p);
    } else {
      err = "unknown command";
    }
    if (err) snprintf(reply, sizeof reply, "err %s\n", err);
    if (reply[0] && send(sock, reply, strlen(reply), MSG_NOSIGNAL) < 0) return;
    used -= (size_t)(nl + 1 - line);
    memmove(line, nl + 1, used);
  }
}

int main(int argc, char** argv) {
  const char* prefix = getenv("WINEPREFIX");
  if (argc != 2 || !prefix) {
    fprintf(stderr, "usage: WINEPREFIX=... %s TCP-PORT\n", argv[0]);
    return 2;
  }
  alarm(600);
  signal(SIGPIPE, SIG_IGN);
  snprintf(dir, sizeof dir, "%s/orvel-serial", prefix);
  snprintf(dosdir, sizeof dosdir, "%s/dosdevices", prefix);
  char lines[4200];
  snprintf(lines, sizeof lines, "%s/lines", dir);
  mkdir(dir, 0700);
  mkdir(lines, 0700);
  const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  struct sockaddr_in addr = {0};
  addr.sin_family = AF_INET;
  addr.sin_port = htons((unsigned short)atoi(argv[1]));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (sock < 0 || connect(sock, (struct sockaddr*)&addr, sizeof addr) != 0) {
    perror("serial peer: connect");
    return 1;
  }
  serve(sock);
  end_children();
  for (int i = 0; i < MAX_PORTS; ++i)
    if (ports[i].com) free_port(&ports[i]);
  close(sock);
  return 0;
}
