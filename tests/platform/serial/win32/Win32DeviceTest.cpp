// The serial device on the Windows communications API, under Wine: COM ports of the prefix
// that the rig's peer links to pseudo-terminals and plays (tests/support/win32).
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/kernel/EventObject.h"
#include "platform/kernel/SysError.h"
#include "platform/kernel/Tick.h"
#include "platform/serial/SerialDevice.h"
#include "platform/serial/ProgramBlock.h"
#include "platform/serial/WaitOnce.h"
#include "support/CpuTime.h"
#include "support/Deadline.h"
#include "support/win32/SerialPeer.h"

namespace {

constexpr uint32_t AllEvents = 0x1FFF;

TSerialPeer& Peer() {
  static TSerialPeer peer;
  return peer;
}

// A port of the peer, opened and configured as the component does it.
struct TPort {
  int Com = -1;
  std::unique_ptr<TSerialDevice> Device;
  TEventObject Stop{true, false};

  explicit TPort(uint32_t mask = AllEvents) {
    Com = Peer().OpenPort();
    if (Com < 0) return;
    Device = OpenSerialDevice("COM" + std::to_string(Com));
    if (!Device) return;
    TCommTimeouts t;
    t.ReadIntervalTimeout = 0xFFFFFFFFu;
    if (!Device->SetCommState(ProgramBlock()) || !Device->SetupComm(8096, 2048) || !Device->SetCommTimeouts(t) ||
        !Device->SetCommMask(mask))
      Device.reset();
  }
  ~TPort() {
    Device.reset();
    if (Com >= 0) Peer().FreePort(Com);
  }
  bool Ok() const { return Device != nullptr; }

  // One wait on another thread, given up after `ms` by setting the stop signal.
  TCommWaitResult WaitOnce(uint32_t& events, int ms) { return ::WaitOnce(*Device, Stop, events, ms); }

  // The events of one wait during which `change` is made (Wine reads the modem lines a
  // wait compares with when the wait starts, so a change between waits goes unseen).
  uint32_t EventsOfAWaitAround(const std::function<void()>& change, int ms) {
    uint32_t events = 0;
    TCommWaitResult r = TCommWaitResult::Stopped;
    TEventObject done(true, false);
    std::thread t([&] {
      r = Device->WaitCommEvent(events, Stop);
      done.Set();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the wait has started, also under load
    change();
    if (WaitForEvent(done, uint32_t(ms)).Status != TWaitStatus::Signaled) Stop.Set();
    t.join();
    Stop.Reset();
    return r == TCommWaitResult::Event ? events : 0;
  }
};

}  // namespace

TEST(DeviceNames, PortNamesGetTheDevicePrefixOfTheNtFamily) {
  EXPECT_EQ(SerialDevicePath("COM9"), "\\\\.\\COM9");
  EXPECT_EQ(ResolveSerialDeviceName("com3"), "\\\\.\\com3");
  EXPECT_EQ(ResolveSerialDeviceName("\\\\.\\COM9"), "\\\\.\\COM9");  // already a device path
  EXPECT_TRUE(IsNoSuchDevice(2));                                     // ERROR_FILE_NOT_FOUND
  EXPECT_FALSE(IsNoSuchDevice(5));
}

TEST(DeviceOpen, UnmappedPortIsNoSuchDeviceAndAMappedOneOpensByItsComName) {
  ASSERT_TRUE(Peer().Ok()) << Peer().Error();
  SetLastError(0);
  EXPECT_FALSE(OpenSerialDevice("COM250"));  // the rig maps 40 to 199 only
  EXPECT_TRUE(IsNoSuchDevice(GetLastError())) << GetLastError();
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error() << " / error " << GetLastError();
  EXPECT_NE(port.Device->Handle(), InvalidHandle);
}

TEST(DeviceSettings, TheDriverHoldsTheBlockTheTimeoutsAndTheMask) {
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  TDriverState s = ReadDriverState(port.Device->Handle());
  ASSERT_TRUE(s.Ok);
  EXPECT_EQ(s.Dcb.BaudRate, 19200u);
  EXPECT_EQ(s.Dcb.ByteSize, 8);
  EXPECT_EQ(s.Dcb.Parity, NOPARITY);
  EXPECT_EQ(s.Dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(s.Dcb.XonChar, 0x11);
  EXPECT_EQ(s.Dcb.XoffChar, 0x13);
  // Wine reads fParity back as 0 when there is no parity: only the other bits are compared.
  EXPECT_EQ(s.Dcb.Flags & ~fParity, ProgramBlock().Flags & ~fParity);
  EXPECT_EQ(s.Timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(s.Timeouts.ReadTotalTimeoutMultiplier | s.Timeouts.ReadTotalTimeoutConstant |
                s.Timeouts.WriteTotalTimeoutMultiplier | s.Timeouts.WriteTotalTimeoutConstant,
            0u);
  EXPECT_EQ(s.Mask, AllEvents);

  // The members land where the system reads them. (A pseudo-terminal keeps 8 data bits
  // and no parity whatever it is asked, so those two cannot be read back here.)
  TDCB odd = ProgramBlock();
  odd.BaudRate = 9600;
  odd.StopBits = TWOSTOPBITS;
  odd.XonChar = 0x05;
  odd.XoffChar = 0x06;
  ASSERT_TRUE(port.Device->SetCommState(odd));
  s = ReadDriverState(port.Device->Handle());
  ASSERT_TRUE(s.Ok);
  EXPECT_EQ(s.Dcb.BaudRate, 9600u);
  EXPECT_EQ(s.Dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(s.Dcb.XonChar, 0x05);
  EXPECT_EQ(s.Dcb.XoffChar, 0x06);
}

TEST(DeviceEvents, ArrivalEndsTheWaitAndReadsTakeWhatHasArrivedWithoutWaiting) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  ASSERT_TRUE(Peer().Send(port.Com, "abc"));
  uint32_t ev = 0;
  ASSERT_EQ(port.WaitOnce(ev, 3000), TCommWaitResult::Event);
  EXPECT_TRUE(ev & EV_RXCHAR) << ev;
  uint32_t errors = 0;
  TComStat st;
  ASSERT_TRUE(port.Device->ClearCommError(errors, st));
  EXPECT_EQ(st.cbInQue, 3u);
  EXPECT_EQ(errors, 0u);
  char buf[16];
  EXPECT_EQ(port.Device->Read(buf, sizeof buf, 1000), 3);
  EXPECT_EQ(std::string(buf, 3), "abc");
  // Nothing there: 0. (Windows ends such a read at once; Wine's waits for data, so here the
  // read's limit ends it and the read is cancelled.) A byte that comes later is not lost
  // to the cancelled read.
  const uint64_t t0 = GetTickCount64();
  EXPECT_EQ(port.Device->Read(buf, sizeof buf, 100), 0);
  EXPECT_LT(GetTickCount64() - t0, 1000u);
  ASSERT_TRUE(Peer().Send(port.Com, "z"));
  ASSERT_EQ(port.WaitOnce(ev, 3000), TCommWaitResult::Event);
  EXPECT_EQ(port.Device->Read(buf, sizeof buf, 1000), 1);
  EXPECT_EQ(buf[0], 'z');
}

TEST(DeviceEvents, StopEndsAPendingWaitAndTheNextWaitStillReports) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  uint32_t ev = 0;
  port.Stop.Set();
  EXPECT_EQ(port.Device->WaitCommEvent(ev, port.Stop), TCommWaitResult::Stopped);  // set before: not lost
  port.Stop.Reset();
  const uint64_t t0 = GetTickCount64();
  EXPECT_EQ(port.WaitOnce(ev, 200), TCommWaitResult::Stopped);
  EXPECT_LT(GetTickCount64() - t0, 1000u);  // the pending wait ended soon after the stop
  ASSERT_TRUE(Peer().Send(port.Com, "x"));
  ASSERT_EQ(port.WaitOnce(ev, 3000), TCommWaitResult::Event);
  EXPECT_TRUE(ev & EV_RXCHAR);
}

TEST(DeviceEvents, ModemLineChangesAreReported) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  // CTS and DSR drop together: one wait reports both.
  uint32_t ev = port.EventsOfAWaitAround([&] { Peer().SetLines(port.Com, PeerCd); }, 3000);
  EXPECT_EQ(ev, uint32_t(EV_CTS | EV_DSR));
  ev = port.EventsOfAWaitAround([&] { Peer().SetLines(port.Com, PeerCts | PeerDsr | PeerCd | PeerRing); }, 3000);
  EXPECT_EQ(ev, uint32_t(EV_CTS | EV_DSR | EV_RING));
  ev = port.EventsOfAWaitAround([&] { Peer().SetLines(port.Com, PeerCts | PeerDsr); }, 3000);
  EXPECT_EQ(ev, uint32_t(EV_RING | EV_RLSD));
}

TEST(DeviceEvents, VanishedPeerReportsNoEventsAndNothingSpins) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  ASSERT_TRUE(Peer().HangUp(port.Com));
  const double cpu0 = ProcessCpuSeconds();
  uint32_t ev = 0;
  EXPECT_NE(port.WaitOnce(ev, 500), TCommWaitResult::Event);
  // Wine polls a pending comm wait every millisecond; a spinning loop would use the core.
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.25);
  char buf[4];
  EXPECT_LE(port.Device->Read(buf, 4, 200), 0);
  EXPECT_EQ(port.Device->Write("x", 1, 200, nullptr), -1);
}

TEST(DeviceWrite, BytesReachThePeerInOrder) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  std::string block;
  for (int i = 0; i < 3000; ++i) block += char(i * 7);
  ASSERT_EQ(port.Device->Write(block.data(), int(block.size()), 2000, nullptr), int(block.size()));
  EXPECT_EQ(port.Device->Write("end", 3, 2000, nullptr), 3);
  EXPECT_EQ(Peer().Receive(port.Com, block.size() + 3, 3000), block + "end");
}

TEST(DeviceWrite, PeerThatDoesNotReadEndsTheWriteAtTheLimitOrTheStop) {
  TDeadline deadline(20000);
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  const std::string big(300000, 'w');  // far more than the line's queues hold
  uint64_t t0 = GetTickCount64();
  const int n = port.Device->Write(big.data(), int(big.size()), 300, nullptr);
  const uint64_t waited = GetTickCount64() - t0;
  EXPECT_GE(waited, 300u);
  EXPECT_LT(waited, 2000u);
  EXPECT_GE(n, 0);
  EXPECT_LT(n, int(big.size()));

  TEventObject stop(true, false);
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.Set();
  });
  t0 = GetTickCount64();
  const int m = port.Device->Write(big.data(), int(big.size()), INFINITE, &stop);
  stopper.join();
  EXPECT_GE(GetTickCount64() - t0, 150u);
  EXPECT_LT(GetTickCount64() - t0, 2000u);
  EXPECT_GE(m, 0);
  EXPECT_LT(m, int(big.size()));
}

TEST(DeviceOpen, PortThatNamesNoDeviceFailsWithAnotherError) {
  TPort port;
  ASSERT_TRUE(port.Ok()) << Peer().Error();
  port.Device.reset();
  ASSERT_TRUE(Peer().MakeNotADevice(port.Com));
  SetLastError(0);
  EXPECT_FALSE(OpenSerialDevice("COM" + std::to_string(port.Com)));
  const int code = GetLastError();
  EXPECT_NE(code, 0);
  EXPECT_FALSE(IsNoSuchDevice(code)) << code;
}
