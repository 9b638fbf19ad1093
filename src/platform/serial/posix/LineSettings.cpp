#include "platform/serial/posix/LineSettings.h"

// termios2 (any baud rate through BOTHER) lives in the kernel's headers, which cannot be
// mixed with <termios.h>; this file uses them alone.
#include <cerrno>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/serial/posix/LineMapping.h"

// How the device control block maps onto a Linux tty:
//
//   DCBlength          ignored
//   BaudRate           the standard rates as their Bnnn code, any other rate as BOTHER with
//                      c_ispeed = c_ospeed (14400, 56000, 128000, 256000 ...); 0 is refused;
//                      a rate the driver changes on the way in is refused
//   fBinary            always: the tty is raw (no ICANON, ECHO, ISIG, OPOST, CR/NL mapping)
//   fParity            INPCK. A byte with a parity or framing error then reads as 0x00
//   fOutxCtsFlow       CRTSCTS (Linux has one switch for both directions)
//   fOutxDsrFlow       no counterpart: accepted, no effect
//   fDtrControl        ENABLE: DTR raised; DISABLE: DTR dropped; HANDSHAKE: no counterpart,
//                      DTR raised
//   fDsrSensitivity    no counterpart: accepted, no effect
//   fTXContinueOnXoff  no counterpart: accepted, no effect
//   fOutX              IXON, with XonChar/XoffChar as VSTART/VSTOP
//   fInX               IXOFF, with XonChar/XoffChar as VSTART/VSTOP
//   fErrorChar         no counterpart (errored bytes read as 0x00 under INPCK whatever
//                      ErrorChar is): accepted, no further effect
//   fNull              no counterpart: null bytes are kept
//   fRtsControl        ENABLE: RTS raised; DISABLE: RTS dropped; HANDSHAKE: CRTSCTS with
//                      RTS raised (the driver then drops it while its input is full);
//                      TOGGLE: no counterpart, RTS raised
//   fAbortOnError      no counterpart: accepted, no effect
//   XonLim, XoffLim    no counterpart (the kernel keeps its own thresholds)
//   ByteSize           CS5..CS8; anything else is refused
//   Parity             NONE; ODD PARENB|PARODD; EVEN PARENB; MARK PARENB|PARODD|CMSPAR;
//                      SPACE PARENB|CMSPAR; anything else is refused
//   StopBits           ONE: no CSTOPB; TWO: CSTOPB (refused with 5 data bits); ONE5: CSTOPB
//                      with 5 data bits, which a 16550 sends as 1.5 stop bits (refused with
//                      6 to 8 data bits)
//   XonChar, XoffChar  VSTART, VSTOP
//   ErrorChar          no counterpart
//   EofChar            no counterpart (VEOF only acts in canonical mode)
//   EvtChar            no counterpart (so EV_RXFLAG never occurs)
//   always             CREAD, CLOCAL (carrier does not gate reading), VMIN = VTIME = 0
// DTR and RTS are set with TIOCMBIS/TIOCMBIC; a device without modem lines (a
// pseudo-terminal) rejects those calls, which is taken as "no such lines", not a failure.
// After setting, the rate and the frame are read back: a driver that changed them cannot
// do them, and the block is refused. A pseudo-terminal has no line: the kernel always
// makes it CS8 without PARENB, so there only the rate is checked and the frame has no
// effect.

namespace {

struct TRateCode {
  uint32_t Rate;
  unsigned Code;
};

const TRateCode StandardRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool CodeOfRate(uint32_t rate, unsigned& code) {
  for (const TRateCode& r : StandardRates)
    if (r.Rate == rate) {
      code = r.Code;
      return true;
    }
  return false;
}

// The output rate a termios2 stands for.
uint32_t RateOf(const termios2& t) {
  const unsigned code = t.c_cflag & CBAUD;
  if (code == BOTHER) return t.c_ospeed;
  for (const TRateCode& r : StandardRates)
    if (r.Code == code) return r.Rate;
  return 0;
}

bool ModemCallUnsupported(int e) { return e == ENOTTY || e == EINVAL || e == ENOSYS || e == 515; }

int SetModemLine(int fd, int line, bool on) {
  if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return 0;
  return ModemCallUnsupported(errno) ? 0 : errno;
}

int Get(int fd, termios2& t) { return ioctl(fd, TCGETS2, &t) < 0 ? errno : 0; }

int Set(int fd, const termios2& t) {
  int r;
  do r = ioctl(fd, TCSETS2, &t);
  while (r < 0 && errno == EINTR);
  return r < 0 ? errno : 0;
}

void Raw(termios2& t) {
  t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
                         IUCLC | IMAXBEL | INPCK | IGNPAR);
  t.c_oflag &= ~tcflag_t(OPOST);
  t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ECHOE | ECHOK | ECHOCTL | ECHOKE | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

// Unix98 pseudo-terminal slaves have majors 136 to 143.
bool IsPseudoTerminal(int fd) {
  struct stat st;
  if (fstat(fd, &st) < 0) return false;
  const unsigned m = major(st.st_rdev);
  return S_ISCHR(st.st_mode) && m >= 136 && m <= 143;
}

int CheckBlock(const TDCB& d) {
  if (d.BaudRate == 0) return EINVAL;
  if (d.ByteSize < 5 || d.ByteSize > 8) return EINVAL;
  if (d.Parity > SPACEPARITY || d.StopBits > TWOSTOPBITS) return EINVAL;
  if (d.StopBits == ONE5STOPBITS && d.ByteSize != 5) return EINVAL;
  if (d.StopBits == TWOSTOPBITS && d.ByteSize == 5) return EINVAL;
  return 0;
}

}  // namespace

bool UsesCtsFlow(const TDCB& d) {
  return (d.Flags & fOutxCtsFlow) || (d.Flags & fRtsControlMask) == RtsControlFlags(RTS_CONTROL_HANDSHAKE);
}

int MakeLineRaw(int fd) {
  termios2 t;
  if (int e = Get(fd, t)) return e;
  Raw(t);
  return Set(fd, t);
}

int BlockToTermios(const TDCB& d, termios2& t) {
  if (int e = CheckBlock(d)) return e;
  Raw(t);
  t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= sizes[d.ByteSize - 5];
  switch (d.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (d.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
  if (d.Flags & fParity) t.c_iflag |= INPCK;
  if (UsesCtsFlow(d)) t.c_cflag |= CRTSCTS;
  if (d.Flags & fOutX) t.c_iflag |= IXON;
  if (d.Flags & fInX) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = cc_t(d.XonChar);
  t.c_cc[VSTOP] = cc_t(d.XoffChar);
  unsigned code;
  if (CodeOfRate(d.BaudRate, code))
    t.c_cflag |= code;
  else
    t.c_cflag |= BOTHER;
  t.c_ispeed = t.c_ospeed = d.BaudRate;  // input rate follows (CIBAUD 0)
  return 0;
}

int ApplyLineSettings(int fd, const TDCB& d) {
  termios2 old;
  if (int e = Get(fd, old)) return e;
  termios2 t = old;
  if (int e = BlockToTermios(d, t)) return e;
  if (int e = Set(fd, t)) return e;

  // A driver takes what it can and changes the rest; what it changed it cannot do.
  termios2 got;
  if (int e = Get(fd, got)) return e;
  const tcflag_t frame = IsPseudoTerminal(fd) ? 0 : CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
  if ((got.c_cflag & frame) != (t.c_cflag & frame) || RateOf(got) != d.BaudRate) {
    Set(fd, old);
    return EINVAL;
  }

  const uint32_t dtr = d.Flags & fDtrControlMask;
  if (int e = SetModemLine(fd, TIOCM_DTR, dtr != 0)) return e;
  // Under RTS/CTS flow control too: the driver only drops RTS when its input fills and
  // raises it again when it drains, so an RTS left low by earlier settings would stay low
  // and the far end would never send.
  const uint32_t rts = d.Flags & fRtsControlMask;
  return SetModemLine(fd, TIOCM_RTS, rts != 0);
}
