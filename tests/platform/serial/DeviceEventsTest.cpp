#include <gtest/gtest.h>

#include <sys/resource.h>

#include <thread>

#include "platform/kernel/EventObject.h"
#include "platform/serial/SerialDevice.h"
#include "platform/serial/WaitOnce.h"
#include "platform/serial/SerialTestSupport.h"
#include "support/CpuTime.h"

namespace {

constexpr uint32_t AllEvents = 0x1FFF;

struct Line {
  TPtyPair Pty;
  std::unique_ptr<TSerialDevice> Device;
  TEventObject Stop{true, false};

  explicit Line(uint32_t mask = AllEvents) {
    if (!Pty.Ok()) return;
    Device = OpenSerialDevice(Pty.SlavePath());
    if (Device) Device->SetCommMask(mask);
  }

  // One wait on another thread, given up after `ms` by setting the stop signal.
  TCommWaitResult WaitOnce(uint32_t& events, int ms) { return ::WaitOnce(*Device, Stop, events, ms); }

  int InQueue() {
    uint32_t errors;
    TComStat st;
    return Device->ClearCommError(errors, st) ? int(st.cbInQue) : -1;
  }
};

}  // namespace

TEST(DeviceEvents, ArrivalIsReportedOnceAndUnreadBytesAreNotReportedAgain) {
  TDeadline deadline(10000);
  Line l;
  ASSERT_TRUE(l.Device);
  ASSERT_TRUE(l.Pty.Send("abc"));
  uint32_t ev = 0;
  ASSERT_EQ(l.WaitOnce(ev, 2000), TCommWaitResult::Event);
  EXPECT_EQ(ev, EV_RXCHAR);
  // The bytes are still unread: the next wait must not report them again.
  EXPECT_EQ(l.WaitOnce(ev, 300), TCommWaitResult::Stopped);
  // A new byte is a new arrival, even with the old ones waiting.
  ASSERT_TRUE(l.Pty.Send("d"));
  ASSERT_EQ(l.WaitOnce(ev, 2000), TCommWaitResult::Event);
  EXPECT_EQ(ev, EV_RXCHAR);
  EXPECT_EQ(l.InQueue(), 4);
  char buf[8];
  EXPECT_EQ(l.Device->Read(buf, sizeof buf, 0), 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  EXPECT_EQ(l.Device->Read(buf, sizeof buf, 0), 0);
}

TEST(DeviceEvents, ArrivalWhileNobodyWaitsIsKeptForTheNextWait) {
  TDeadline deadline(10000);
  Line l;
  ASSERT_TRUE(l.Device);
  ASSERT_TRUE(l.Pty.Send("x"));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  uint32_t ev = 0;
  ASSERT_EQ(l.WaitOnce(ev, 2000), TCommWaitResult::Event);
  EXPECT_EQ(ev, EV_RXCHAR);
}

TEST(DeviceEvents, StopSetBeforeTheWaitIsNotLost) {
  TDeadline deadline(10000);
  Line l;
  ASSERT_TRUE(l.Device);
  l.Stop.Set();
  uint32_t ev = 0;
  EXPECT_EQ(l.Device->WaitCommEvent(ev, l.Stop), TCommWaitResult::Stopped);
}

TEST(DeviceEvents, TransmitEmptyFollowsAWriteOnlyWhenAsked) {
  TDeadline deadline(10000);
  Line l(EV_TXEMPTY);
  ASSERT_TRUE(l.Device);
  ASSERT_EQ(l.Device->Write("hello", 5, 1000, nullptr), 5);
  uint32_t ev = 0;
  ASSERT_EQ(l.WaitOnce(ev, 2000), TCommWaitResult::Event);
  EXPECT_EQ(ev, EV_TXEMPTY);
  EXPECT_EQ(l.Pty.Receive(5, 2000), "hello");
  EXPECT_EQ(l.WaitOnce(ev, 200), TCommWaitResult::Stopped);  // once per drained write

  Line quiet(EV_RXCHAR);
  ASSERT_TRUE(quiet.Device);
  ASSERT_EQ(quiet.Device->Write("hi", 2, 1000, nullptr), 2);
  EXPECT_EQ(quiet.WaitOnce(ev, 200), TCommWaitResult::Stopped);
}

TEST(DeviceEvents, ModemLineWatchOnADeviceWithoutModemLinesReportsNothing) {
  // A pseudo-terminal has no modem lines: the watcher ends at once and stopping is quick.
  TDeadline deadline(10000);
  Line l(EV_CTS | EV_DSR | EV_RING | EV_RLSD | EV_ERR | EV_BREAK);
  ASSERT_TRUE(l.Device);
  ASSERT_TRUE(l.Pty.Send("zz"));
  uint32_t ev = 0;
  EXPECT_EQ(l.WaitOnce(ev, 300), TCommWaitResult::Stopped);
  const uint64_t t0 = GetTickCount64();
  l.Device.reset();
  EXPECT_LT(GetTickCount64() - t0, 500u);
}

TEST(DeviceEvents, HangUpRefusesEveryWaitWithoutSpinning) {
  TDeadline deadline(10000);
  Line l;
  ASSERT_TRUE(l.Device);
  l.Pty.CloseMaster();
  uint32_t ev = 0;
  ASSERT_EQ(l.WaitOnce(ev, 2000), TCommWaitResult::Refused);
  const double cpu0 = ProcessCpuSeconds();
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(l.Device->WaitCommEvent(ev, l.Stop), TCommWaitResult::Refused);
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.5);
  char buf[4];
  EXPECT_LE(l.Device->Read(buf, 4, 0), 0);
  EXPECT_EQ(l.Device->Write("x", 1, 1000, nullptr), -1);
}

TEST(DeviceWrite, PeerThatDoesNotReadEndsTheWriteAtTheLimitOrTheStopWithTheBytesTaken) {
  TDeadline deadline(10000);
  Line l(0);
  ASSERT_TRUE(l.Device);
  const std::string big(300000, 'w');  // far more than the line's queues hold
  uint64_t t0 = GetTickCount64();
  const int n = l.Device->Write(big.data(), int(big.size()), 200, nullptr);
  const uint64_t waited = GetTickCount64() - t0;
  EXPECT_GE(waited, 200u);
  EXPECT_LT(waited, 800u);
  ASSERT_GT(n, 0);
  ASSERT_LT(n, int(big.size()));

  // With no limit, the stop signal ends it; set before the call, the call does not block.
  l.Stop.Set();
  t0 = GetTickCount64();
  EXPECT_EQ(l.Device->Write(big.data(), int(big.size()), INFINITE, &l.Stop), 0);
  EXPECT_LT(GetTickCount64() - t0, 500u);
  EXPECT_EQ(l.Pty.Receive(size_t(n) + 1, 1000).size(), size_t(n));  // exactly what it counted
}
