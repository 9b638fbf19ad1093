#include <gtest/gtest.h>

#include <cerrno>

#include "platform/serial/SerialDevice.h"
#include "platform/serial/SerialTestSupport.h"
#include "platform/serial/posix/PosixSerialDevice.h"

TEST(DeviceNames, ComNameFollowsItsDosDevicesLinkInAnyCase) {
  TDosDevices dos;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const std::string link = dos.Link("com3", pty.SlavePath());
  EXPECT_EQ(ResolveSerialDeviceName("COM3"), link);
  EXPECT_EQ(ResolveSerialDeviceName("com3"), link);
  EXPECT_EQ(ResolveSerialDeviceName("Com3"), link);
  auto device = OpenSerialDevice("cOm3");
  ASSERT_TRUE(device) << strerror(errno);
}

TEST(DeviceNames, ComNameWithoutLinkIsTheSerialPortBelowIt) {
  TDosDevices dos;
  EXPECT_EQ(ResolveSerialDeviceName("COM1"), "/dev/ttyS0");
  EXPECT_EQ(ResolveSerialDeviceName("COM12"), "/dev/ttyS11");
  EXPECT_EQ(ResolveSerialDeviceName("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(ResolveSerialDeviceName("COMX"), "COMX");
}

TEST(DeviceNames, EveryPortNumberTheComponentCanBuildIsAComName) {
  TDosDevices dos;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const std::string link = dos.Link("com2147483647", pty.SlavePath());
  EXPECT_EQ(ResolveSerialDeviceName("COM2147483647"), link);
  EXPECT_EQ(ResolveSerialDeviceName("COM1000000000"), "/dev/ttyS999999999");
  EXPECT_EQ(ResolveSerialDeviceName("COM12345678901"), "COM12345678901");  // beyond any port number
}

TEST(DeviceNames, DanglingLinkAndMissingPathAreNotFound) {
  TDosDevices dos;
  dos.Link("com9", "/dev/orvel-no-such-device");
  errno = 0;
  EXPECT_FALSE(OpenSerialDevice("COM9"));
  EXPECT_EQ(errno, ENOENT);
  errno = 0;
  EXPECT_FALSE(OpenSerialDevice("/dev/orvel-no-such-device"));
  EXPECT_EQ(errno, ENOENT);
}

TEST(DeviceOpen, PortIsHeldExclusivelyUntilClosed) {
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto first = OpenSerialDevice(pty.SlavePath());
  ASSERT_TRUE(first);
  errno = 0;
  EXPECT_FALSE(OpenSerialDevice(pty.SlavePath()));
  EXPECT_EQ(errno, EBUSY);
  first.reset();
  EXPECT_TRUE(OpenSerialDevice(pty.SlavePath()));
}

TEST(DeviceOpen, SomethingThatIsNoTerminalIsRefused) {
  errno = 0;
  EXPECT_FALSE(OpenSerialDevice("/dev/null"));
  EXPECT_EQ(errno, ENOTTY);
}

TEST(DeviceOpen, ATerminalWhoseCallsFailWithIOErrorIsNotFound) {
  // A port node without a UART fails every terminal call with EIO, as a pseudo-terminal's
  // device side does once its master has gone: that is "not found", not "no terminal".
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  pty.CloseMaster();
  errno = 0;
  EXPECT_FALSE(TPosixSerialDevice::Adopt(fd));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(IsNoSuchDevice(errno));
  EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "the refused descriptor is closed";
}
