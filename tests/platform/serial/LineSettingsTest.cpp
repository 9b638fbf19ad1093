// Reads the line settings back the way the kernel holds them (termios2), so rates without
// a Bnnn code can be checked too. <termios.h> cannot be mixed with these headers.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/serial/ProgramBlock.h"
#include "platform/serial/SerialDevice.h"
#include "platform/serial/SerialTestSupport.h"
#include "platform/serial/posix/LineMapping.h"

namespace {

termios2 ReadBack(int fd) {
  termios2 t{};
  EXPECT_EQ(ioctl(fd, TCGETS2, &t), 0);
  return t;
}

struct Opened {
  TPtyPair Pty;
  std::unique_ptr<TSerialDevice> Device;
  Opened() {
    if (Pty.Ok()) Device = OpenSerialDevice(Pty.SlavePath());
  }
};

}  // namespace

TEST(LineSettings, ProgramBlockGivesRaw19200With8N1AndParityChecking) {
  Opened o;
  ASSERT_TRUE(o.Device);
  ASSERT_TRUE(o.Device->SetCommState(ProgramBlock())) << strerror(errno);
  const termios2 t = ReadBack(o.Device->Handle());
  EXPECT_EQ(t.c_cflag & CBAUD, tcflag_t(B19200));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_TRUE(t.c_cflag & CLOCAL);
  EXPECT_TRUE(t.c_iflag & INPCK);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(LineSettings, RatesWithoutCodeGoThroughBother) {
  Opened o;
  ASSERT_TRUE(o.Device);
  for (uint32_t rate : {14400u, 56000u, 128000u, 256000u}) {
    TDCB d = ProgramBlock();
    d.BaudRate = rate;
    ASSERT_TRUE(o.Device->SetCommState(d)) << rate;
    const termios2 t = ReadBack(o.Device->Handle());
    EXPECT_EQ(t.c_cflag & CBAUD, tcflag_t(BOTHER)) << rate;
    EXPECT_EQ(t.c_ospeed, rate);
    EXPECT_EQ(t.c_ispeed, rate);
  }
}

TEST(LineSettings, FramesParitiesAndFlowControlMapOntoTermios) {
  auto mapped = [](TDCB d) {
    termios2 t{};
    t.c_lflag = ICANON | ECHO;
    t.c_cflag = CS8 | PARENB | CRTSCTS;
    EXPECT_EQ(BlockToTermios(d, t), 0);
    return t;
  };
  const tcflag_t frame = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
  TDCB d = ProgramBlock();
  termios2 t = mapped(d);
  EXPECT_EQ(t.c_cflag & (frame | CRTSCTS), tcflag_t(CS8));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

  d.ByteSize = 7;
  d.Parity = EVENPARITY;
  d.StopBits = TWOSTOPBITS;
  EXPECT_EQ(mapped(d).c_cflag & frame, tcflag_t(CS7 | PARENB | CSTOPB));
  d = ProgramBlock();
  d.Parity = MARKPARITY;
  EXPECT_EQ(mapped(d).c_cflag & frame, tcflag_t(CS8 | PARENB | PARODD | CMSPAR));
  d.Parity = SPACEPARITY;
  EXPECT_EQ(mapped(d).c_cflag & frame, tcflag_t(CS8 | PARENB | CMSPAR));
  d.Parity = ODDPARITY;
  d.ByteSize = 5;
  d.StopBits = ONE5STOPBITS;
  EXPECT_EQ(mapped(d).c_cflag & frame, tcflag_t(CS5 | PARENB | PARODD | CSTOPB));

  d = ProgramBlock();
  d.Flags = fBinary | RtsControlFlags(RTS_CONTROL_HANDSHAKE);
  EXPECT_TRUE(mapped(d).c_cflag & CRTSCTS);
  d.Flags = fBinary | fOutX | fInX;
  d.XonChar = 0x21;
  d.XoffChar = 0x22;
  t = mapped(d);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), tcflag_t(IXON | IXOFF));
  EXPECT_EQ(t.c_cc[VSTART], 0x21);
  EXPECT_EQ(t.c_cc[VSTOP], 0x22);
}

TEST(LineSettings, PseudoTerminalTakesEveryFrameAndKeepsWhatItCan) {
  // The kernel makes a pseudo-terminal CS8 without PARENB whatever is asked; the stop
  // bits, CMSPAR, flow control and rate stay as set.
  Opened o;
  ASSERT_TRUE(o.Device);
  TDCB d = ProgramBlock();
  d.ByteSize = 7;
  d.Parity = EVENPARITY;
  d.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(o.Device->SetCommState(d)) << strerror(errno);
  termios2 t = ReadBack(o.Device->Handle());
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_EQ(t.c_cflag & CBAUD, tcflag_t(B19200));

  d = ProgramBlock();
  d.Parity = MARKPARITY;
  d.Flags = fBinary | fOutxCtsFlow | fOutX;
  ASSERT_TRUE(o.Device->SetCommState(d));
  t = ReadBack(o.Device->Handle());
  EXPECT_TRUE(t.c_cflag & CMSPAR);
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_FALSE(t.c_iflag & INPCK);
}

TEST(LineSettings, ImpossibleBlocksAreRefusedAndTheLineKeepsItsSettings) {
  Opened o;
  ASSERT_TRUE(o.Device);
  ASSERT_TRUE(o.Device->SetCommState(ProgramBlock()));
  const termios2 before = ReadBack(o.Device->Handle());
  auto refused = [&](TDCB d) {
    errno = 0;
    const bool ok = o.Device->SetCommState(d);
    return !ok && errno == EINVAL;
  };
  TDCB d = ProgramBlock();
  d.ByteSize = 4;
  EXPECT_TRUE(refused(d));
  d = ProgramBlock();
  d.StopBits = ONE5STOPBITS;  // with 8 data bits
  EXPECT_TRUE(refused(d));
  d = ProgramBlock();
  d.BaudRate = 0;
  EXPECT_TRUE(refused(d));
  d = ProgramBlock();
  d.Parity = 5;
  EXPECT_TRUE(refused(d));
  const termios2 after = ReadBack(o.Device->Handle());
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
}
