#include "platform/serial/posix/PosixSerialDevice.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <strings.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/kernel/Tick.h"
#include "platform/serial/posix/LineSettings.h"

// How line events are found on a Linux tty:
//
//   EV_RXCHAR    epoll with EPOLLET on the tty: one report per arrival of new bytes, also
//                while older ones are unread; arrivals while nobody waits stay in epoll's
//                ready list for the next wait
//   EV_TXEMPTY   after a write, a second descriptor of the tty is watched for EPOLLOUT
//                (edge-triggered) and TIOCOUTQ is read until it is 0; while bytes drain the
//                wait also wakes after the time they need at the line's rate
//   EV_CTS, EV_DSR, EV_RING, EV_RLSD
//                where the driver has TIOCMIWAIT: a watcher thread wakes the wait on every
//                modem-line change; which lines changed comes from the TIOCGICOUNT counters
//                (cts, dsr, rng, dcd) or, without counters, from TIOCMGET
//   EV_ERR       TIOCGICOUNT frame, parity, overrun or buf_overrun rose
//   EV_BREAK     TIOCGICOUNT brk rose
//   never        EV_RXFLAG (no event character on Linux), EV_RX80FULL, EV_PERR (printer
//                error), EV_EVENT1, EV_EVENT2 (provider-specific)
// The counters are read whenever the wait wakes, so errors show with the bytes they came
// with. Bytes the reader leaves unread fill the tty's buffers, and once they are full what
// the driver drops (buf_overrun) comes with no arrival to wake the wait; so while unread
// bytes wait and EV_ERR or EV_BREAK is asked for, the counters are also read every
// ErrorRecheckMs. A device without TIOCGICOUNT (a pseudo-terminal) reports no errors and
// no breaks; one without TIOCMIWAIT reports no modem-line changes. What a device can only
// show on a real UART is tested on Linux's 8250 driver in an emulated PC (tests/uart).
//
// Line error flags of ClearCommError, from the same counters since the previous call:
//   CE_RXOVER 0x01 buf_overrun, CE_OVERRUN 0x02 overrun, CE_RXPARITY 0x04 parity,
//   CE_FRAME 0x08 frame, CE_BREAK 0x10 brk.
// Hold bits: fCtsHold while RTS/CTS flow is on and CTS is low; the others have no
// counterpart and stay 0.
//
// Hang-up: EPOLLHUP or EPOLLERR on the tty (the other end of a pseudo-terminal closed, a
// USB adapter pulled) or EIO from the counters marks the device hung up; every later wait
// is refused with EIO at once, so the caller blocks on its stop signal instead of spinning.

namespace {

bool ReadCounts(int fd, TLineCounts& c) {
  serial_icounter_struct s{};
  if (ioctl(fd, TIOCGICOUNT, &s) < 0) return false;
  c.Cts = s.cts;
  c.Dsr = s.dsr;
  c.Rng = s.rng;
  c.Dcd = s.dcd;
  c.Frame = s.frame;
  c.Overrun = s.overrun;
  c.Parity = s.parity;
  c.Brk = s.brk;
  c.BufOverrun = s.buf_overrun;
  return true;
}

constexpr uint32_t ModemEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD;

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return std::string();
}

// "COMn" in any case; n without sign, at most 10 digits: every port number the component
// can build (up to 2147483647) is a COM name.
bool ComNumber(const std::string& name, long long& n) {
  if (name.size() < 4 || name.size() > 13 || strncasecmp(name.c_str(), "com", 3) != 0) return false;
  n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    n = n * 10 + (name[i] - '0');
  }
  return true;
}

}  // namespace

uint32_t EventsBetween(const TLineCounts& a, const TLineCounts& b) {
  uint32_t e = 0;
  if (b.Cts != a.Cts) e |= EV_CTS;
  if (b.Dsr != a.Dsr) e |= EV_DSR;
  if (b.Rng != a.Rng) e |= EV_RING;
  if (b.Dcd != a.Dcd) e |= EV_RLSD;
  if (b.Frame != a.Frame || b.Overrun != a.Overrun || b.Parity != a.Parity || b.BufOverrun != a.BufOverrun)
    e |= EV_ERR;
  if (b.Brk != a.Brk) e |= EV_BREAK;
  return e;
}

uint32_t ErrorsBetween(const TLineCounts& a, const TLineCounts& b) {
  uint32_t e = 0;
  if (b.BufOverrun != a.BufOverrun) e |= CE_RXOVER;
  if (b.Overrun != a.Overrun) e |= CE_OVERRUN;
  if (b.Parity != a.Parity) e |= CE_RXPARITY;
  if (b.Frame != a.Frame) e |= CE_FRAME;
  if (b.Brk != a.Brk) e |= CE_BREAK;
  return e;
}

std::string ResolveSerialDeviceName(const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  long long n;
  if (!ComNumber(name, n)) return name;
  const std::string config = ConfigHome();
  if (!config.empty()) {
    const std::string link = config + "/orvelax9/dosdevices/com" + std::to_string(n);
    struct stat st;
    if (lstat(link.c_str(), &st) == 0) return link;  // a dangling link stays: "not found"
  }
  return "/dev/ttyS" + std::to_string(n - 1);  // COM0 gives /dev/ttyS-1: not found
}

std::string SerialDevicePath(const std::string& name) { return name; }

bool IsNoSuchDevice(int errorCode) { return errorCode == ENOENT; }

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name) {
  return TPosixSerialDevice::Open(ResolveSerialDeviceName(name));
}

std::unique_ptr<TPosixSerialDevice> TPosixSerialDevice::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return Adopt(fd);
}

std::unique_ptr<TPosixSerialDevice> TPosixSerialDevice::Adopt(int fd) {
  auto fail = [fd](int e) {
    close(fd);
    errno = e;
    return nullptr;
  };
  // A serial port node with no port behind it (ttyS4 when the kernel makes more nodes than
  // the machine has UARTs) opens, but every terminal call on it fails with EIO, the
  // terminal check included: there is no such device. Anything else that is no terminal is
  // refused as such.
  if (!isatty(fd)) return fail(errno == EIO ? ENOENT : ENOTTY);
  int lines = 0;
  if (ioctl(fd, TIOCMGET, &lines) < 0 && errno == EIO) return fail(ENOENT);
  // TIOCEXCL keeps other users out but not root; the lock keeps out every other opener
  // that asks for it, this program included.
  if (flock(fd, LOCK_EX | LOCK_NB) < 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  ioctl(fd, TIOCEXCL);
  if (int e = MakeLineRaw(fd)) return fail(e);
  std::unique_ptr<TPosixSerialDevice> d(new TPosixSerialDevice());
  if (!d->Init(fd)) {
    const int e = errno;
    d.reset();  // closes fd
    errno = e;
    return nullptr;
  }
  return d;
}

bool TPosixSerialDevice::Init(int fd) {
  FFd = fd;
  FOutFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  FEpoll = epoll_create1(EPOLL_CLOEXEC);
  if (FOutFd < 0 || FEpoll < 0) return false;
  epoll_event in{};
  in.events = EPOLLIN | EPOLLET;
  in.data.fd = FFd;
  epoll_event out{};
  out.events = EPOLLET;  // armed with EPOLLOUT only while a write drains
  out.data.fd = FOutFd;
  epoll_event kick{};
  kick.events = EPOLLIN;
  kick.data.fd = int(FKick.Handle());
  if (epoll_ctl(FEpoll, EPOLL_CTL_ADD, FFd, &in) < 0 || epoll_ctl(FEpoll, EPOLL_CTL_ADD, FOutFd, &out) < 0 ||
      epoll_ctl(FEpoll, EPOLL_CTL_ADD, int(FKick.Handle()), &kick) < 0)
    return false;
  FHasCounts = ReadCounts(FFd, FEventCounts);
  FErrorCounts = FEventCounts;
  if (ioctl(FFd, TIOCMGET, &FModemLines) < 0) FModemLines = 0;
  return true;
}

TPosixSerialDevice::~TPosixSerialDevice() {
  FWatcher.reset();
  if (FEpoll >= 0) close(FEpoll);
  if (FOutFd >= 0) close(FOutFd);
  if (FFd >= 0) {
    ioctl(FFd, TIOCNXCL);  // the flag outlives this descriptor on a pseudo-terminal
    close(FFd);
  }
}

bool TPosixSerialDevice::SetCommState(const TDCB& dcb) {
  if (int e = ApplyLineSettings(FFd, dcb)) {
    errno = e;
    return false;
  }
  std::lock_guard<std::mutex> g(FLock);
  FBaudRate = dcb.BaudRate;
  FCtsFlow = UsesCtsFlow(dcb);
  return true;
}

bool TPosixSerialDevice::SetupComm(uint32_t, uint32_t) {
  return true;  // the kernel keeps its own queue sizes
}

bool TPosixSerialDevice::SetCommTimeouts(const TCommTimeouts& t) {
  // Reads never wait here; only the timeouts that ask for exactly that are honest to accept.
  // Writes never block either; their callers bound the wait for room themselves.
  if (t.ReadIntervalTimeout != 0xFFFFFFFFu || t.ReadTotalTimeoutMultiplier != 0 ||
      t.ReadTotalTimeoutConstant != 0) {
    errno = EINVAL;
    return false;
  }
  return true;
}

bool TPosixSerialDevice::SetCommMask(uint32_t mask) {
  bool watch;
  {
    std::lock_guard<std::mutex> g(FLock);
    FMask = mask;
    FPending &= mask;
    watch = (mask & ModemEvents) && !FWatcher;
  }
  if (watch) FWatcher = std::make_unique<TModemWatcher>(FFd, [this] { ModemLinesChanged(); });
  return true;
}

void TPosixSerialDevice::ModemLinesChanged() {
  {
    std::lock_guard<std::mutex> g(FLock);
    if (!FHasCounts) {
      int lines = 0;
      if (ioctl(FFd, TIOCMGET, &lines) == 0) {
        const int changed = lines ^ FModemLines;
        FModemLines = lines;
        uint32_t e = 0;
        if (changed & TIOCM_CTS) e |= EV_CTS;
        if (changed & TIOCM_DSR) e |= EV_DSR;
        if (changed & TIOCM_RNG) e |= EV_RING;
        if (changed & TIOCM_CD) e |= EV_RLSD;
        FPending |= e & FMask;
      }
    }
  }
  FKick.Set();  // with counters, the wait finds the change itself
}

void TPosixSerialDevice::CollectLocked() {
  if (FHasCounts) {
    TLineCounts now;
    if (ReadCounts(FFd, now)) {
      FPending |= EventsBetween(FEventCounts, now) & FMask;
      FEventCounts = now;
    } else if (errno == EIO) {
      FHungUp = true;
    }
  }
  if (FTxPending) {
    int outq = 0;
    if (ioctl(FFd, TIOCOUTQ, &outq) < 0 || outq <= 0) {
      FTxPending = false;
      FOutQueue = 0;
      FPending |= EV_TXEMPTY & FMask;
      ArmTxWatch(false);
    } else {
      FOutQueue = uint32_t(outq);
    }
  }
}

int TPosixSerialDevice::DrainWaitLocked() const {
  if (!FTxPending) return -1;
  // The time the queued bytes take at about 10 bits each, plus a little.
  const uint64_t rate = std::max<uint32_t>(FBaudRate, 50);
  const uint64_t ms = uint64_t(FOutQueue) * 10000u / rate + 2;
  return int(std::min<uint64_t>(ms, 1000));
}

bool TPosixSerialDevice::ErrorsMayPassUnseenLocked() const {
  if (!FHasCounts || !(FMask & (EV_ERR | EV_BREAK))) return false;
  int inq = 0;
  return ioctl(FFd, TIOCINQ, &inq) == 0 && inq > 0;
}

void TPosixSerialDevice::ArmTxWatch(bool on) {
  epoll_event out{};
  out.events = on ? (EPOLLOUT | EPOLLET) : EPOLLET;
  out.data.fd = FOutFd;
  epoll_ctl(FEpoll, EPOLL_CTL_MOD, FOutFd, &out);
}

bool TPosixSerialDevice::WatchStop(TEventObject& stop) {
  if (stop.Serial() == FStopSerial) return true;
  // The one before is gone (and left the set with its descriptor) or is another object.
  if (FStopSerial != 0) epoll_ctl(FEpoll, EPOLL_CTL_DEL, FStopFd, nullptr);
  FStopSerial = 0;
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.fd = int(stop.Handle());
  if (epoll_ctl(FEpoll, EPOLL_CTL_ADD, e.data.fd, &e) < 0) return false;
  FStopFd = e.data.fd;
  FStopSerial = stop.Serial();
  return true;
}

// Notes what epoll reported; true when the stop signal was among it.
bool TPosixSerialDevice::TakeEpollEvents(const epoll_event* evs, int n) {
  bool stopped = false;
  std::lock_guard<std::mutex> g(FLock);
  for (int i = 0; i < n; ++i) {
    const int fd = evs[i].data.fd;
    const uint32_t ev = evs[i].events;
    if (FStopSerial != 0 && fd == FStopFd) {
      stopped = true;
      continue;
    }
    if (fd == FKick.Handle()) {
      FKick.Reset();
      continue;
    }
    if (ev & (EPOLLHUP | EPOLLERR)) {
      FHungUp = true;
      continue;
    }
    if (fd == FFd && (ev & EPOLLIN)) FPending |= EV_RXCHAR & FMask;
  }
  return stopped;
}

TCommWaitResult TPosixSerialDevice::WaitCommEvent(uint32_t& events, TEventObject& stop) {
  events = 0;
  const bool stopInSet = WatchStop(stop);
  for (;;) {
    int timeout;
    {
      std::lock_guard<std::mutex> g(FLock);
      CollectLocked();
      if (FHungUp) {
        errno = EIO;
        return TCommWaitResult::Refused;
      }
      const uint32_t ready = FPending & FMask;
      if (ready) {
        FPending &= ~ready;
        events = ready;
        return TCommWaitResult::Event;
      }
      timeout = DrainWaitLocked();
      if (ErrorsMayPassUnseenLocked()) timeout = timeout < 0 ? ErrorRecheckMs : std::min(timeout, ErrorRecheckMs);
    }
    epoll_event evs[5];
    int n;
    if (stopInSet) {
      n = epoll_wait(FEpoll, evs, 5, timeout);
    } else {
      // The stop signal could not join the set: waited on beside it.
      pollfd p[2] = {{FEpoll, POLLIN, 0}, {int(stop.Handle()), POLLIN, 0}};
      n = poll(p, 2, timeout);
      if (n > 0 && p[1].revents) return TCommWaitResult::Stopped;
      if (n > 0) n = epoll_wait(FEpoll, evs, 5, 0);
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return TCommWaitResult::Refused;
    }
    if (TakeEpollEvents(evs, n)) return TCommWaitResult::Stopped;
  }
}

bool TPosixSerialDevice::ClearCommError(uint32_t& errors, TComStat& stat) {
  errors = 0;
  stat = TComStat{};
  int inq = 0, outq = 0;
  if (ioctl(FFd, TIOCINQ, &inq) < 0) return false;
  if (ioctl(FFd, TIOCOUTQ, &outq) < 0) return false;
  stat.cbInQue = uint32_t(std::max(inq, 0));
  stat.cbOutQue = uint32_t(std::max(outq, 0));
  std::lock_guard<std::mutex> g(FLock);
  TLineCounts now;
  if (FHasCounts && ReadCounts(FFd, now)) {
    errors = ErrorsBetween(FErrorCounts, now);
    FErrorCounts = now;
  }
  int lines = 0;
  if (FCtsFlow && ioctl(FFd, TIOCMGET, &lines) == 0 && !(lines & TIOCM_CTS)) stat.Flags |= fCtsHold;
  return true;
}

int TPosixSerialDevice::Read(void* buffer, int count, uint32_t) {
  // A tty read never waits here (O_NONBLOCK): the time limit has nothing to bound.
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t n = read(FFd, buffer, size_t(count));
    if (n >= 0) return int(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;
    return -1;
  }
}

int TPosixSerialDevice::Write(const void* buffer, int count, uint32_t timeoutMs, TEventObject* stop) {
  // The tty takes what its queue has room for; wait for room until the time is up. What it
  // took stays counted: bytes handed to the line cannot be called back.
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  const uint64_t start = GetTickCount64();
  int done = 0;
  while (done < count) {
    const int n = WriteSome(bytes + done, count - done);
    if (n < 0) return -1;
    done += n;
    if (done >= count) break;
    const TRoom room = WaitForRoom(start, timeoutMs, stop);
    if (room == TRoom::Failed) return -1;
    if (room != TRoom::Ready) break;
  }
  return done;
}

int TPosixSerialDevice::WriteSome(const void* buffer, int count) {
  ssize_t n;
  do n = write(FFd, buffer, size_t(count));
  while (n < 0 && errno == EINTR);
  if (n < 0) {
    if (errno == EAGAIN) return 0;
    return -1;
  }
  if (n > 0) {
    std::lock_guard<std::mutex> g(FLock);
    if (FMask & EV_TXEMPTY) {
      FTxPending = true;
      ArmTxWatch(true);  // arming reports "writable" at once, which wakes the wait to look
    }
  }
  return int(n);
}

TPosixSerialDevice::TRoom TPosixSerialDevice::WaitForRoom(uint64_t start, uint32_t timeoutMs, TEventObject* stop) {
  for (;;) {
    const int wait = PollTimeout(start, timeoutMs);
    pollfd p[2] = {{FFd, POLLOUT, 0}, {stop ? int(stop->Handle()) : -1, POLLIN, 0}};
    const int n = poll(p, stop ? 2 : 1, wait);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TRoom::Failed;
    }
    if (n == 0) return TRoom::Timeout;
    if (stop && p[1].revents) return TRoom::Stopped;
    if (p[0].revents) return TRoom::Ready;  // also on a hang-up: the next write then fails
  }
}
