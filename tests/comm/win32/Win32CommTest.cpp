// The serial component on the Windows communications API, under Wine: COM ports of the
// prefix that the rig's peer links to pseudo-terminals and plays (tests/support/win32).
// Wine's error texts, sharing rules and timings are Wine's: expected texts are built from
// the system's own text for the code at run time.
#include <gtest/gtest.h>

#include <thread>

#include "comm/CommTestSupport.h"
#include "platform/ui/Synchronize.h"
#include "support/CpuTime.h"
#include "support/WaitUntil.h"
#include "support/win32/SerialPeer.h"

namespace {

TSerialPeer& Peer() {
  static TSerialPeer peer;
  return peer;
}

// A port of the peer and the component with the program's settings on it, closed.
struct TPortOnWine {
  TTestApp App;
  int Com = Peer().OpenPort();
  std::unique_ptr<TVaComm> Comm = std::make_unique<TVaComm>(nullptr);
  TPortOnWine() {
    ApplyProgramSettings(*Comm);
    Comm->SetPortNum(Com < 0 ? 0 : Com);
  }
  ~TPortOnWine() {
    Comm.reset();
    if (Com >= 0) Peer().FreePort(Com);
  }
  std::string Path() const { return "\\\\.\\COM" + std::to_string(Com); }
};

// Expects `f` to raise the message of `format` ("...(%d), %s") for the system error code
// the message names, with the system's text for that code.
::testing::AssertionResult RaisesWithSystemCode(const std::function<void()>& f, const std::string& format) {
  try {
    f();
  } catch (const EVaCommError& e) {
    const std::string m = e.Message();
    const size_t at = format.find("%d");
    const std::string head = format.substr(0, at);
    if (m.compare(0, head.size(), head) != 0) return ::testing::AssertionFailure() << "message was \"" << m << "\"";
    const int code = std::atoi(m.c_str() + head.size());
    std::string expected = head + std::to_string(code) + format.substr(at + 2);
    expected.replace(expected.find("%s"), 2, SystemText(code));
    if (m == expected && code != 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message was \"" << m << "\", expected \"" << expected << "\"";
  }
  return ::testing::AssertionFailure() << "nothing raised";
}

}  // namespace

TEST(WineLifecycle, UnmappedPortIsNotFoundUnderItsDevicePath) {
  TTestApp app;
  TVaComm c(nullptr);
  c.SetPortNum(250);  // the rig maps 40 to 199 only
  EXPECT_EQ(c.GetDeviceName(), "\\\\.\\COM250");
  EXPECT_TRUE(RaisesCommError([&] { c.Open(); }, "Specified device not found (\\\\.\\COM250)."));
  EXPECT_FALSE(c.IsOpen());
  EXPECT_EQ(c.Handle(), InvalidHandle);
  char b[4] = {1, 2, 3, 4};
  EXPECT_EQ(c.ReadData(b, 4), 0);
  EXPECT_EQ(c.WriteData(b, 4), 0);
}

TEST(WineLifecycle, PortThatCannotBeOpenedNamesThePathTheCodeAndTheSystemsText) {
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  ASSERT_TRUE(Peer().MakeNotADevice(p.Com));
  const int code = OpenError(p.Path());
  ASSERT_NE(code, 0);
  EXPECT_TRUE(RaisesCommError([&] { p.Comm->Open(); }, "Can't open specified device " + p.Path() + " (Error " +
                                                          std::to_string(code) + ", " + SystemText(code) + ")"));
  EXPECT_FALSE(p.Comm->IsOpen());
}

TEST(WineLifecycle, OpenHandsTheProgramsSettingsToTheDriverAndCloseEndsEverything) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->Open();
  ASSERT_TRUE(p.Comm->IsOpen());
  EXPECT_TRUE(p.Comm->HasEventThread());
  const TDriverState s = ReadDriverState(p.Comm->Handle());
  ASSERT_TRUE(s.Ok);
  EXPECT_EQ(s.Dcb.BaudRate, 19200u);
  EXPECT_EQ(s.Dcb.ByteSize, 8);
  EXPECT_EQ(s.Dcb.Parity, NOPARITY);
  EXPECT_EQ(s.Dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(s.Dcb.Flags & ~fParity, 0x1011u);  // Wine reads fParity back as 0 without parity
  EXPECT_EQ(s.Timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(s.Timeouts.ReadTotalTimeoutConstant | s.Timeouts.WriteTotalTimeoutConstant, 0u);
  EXPECT_EQ(s.Mask, 0x1FFFu);  // all thirteen events: the shim lets Wine wait on the modem lines

  EXPECT_TRUE(RaisesCommError([&] { p.Comm->Open(); }, "Can't perform this operation while port is open"));
  uint64_t t0 = GetTickCount64();
  p.Comm->Close();
  const uint64_t closing = GetTickCount64() - t0;
  EXPECT_GE(closing, 300u);
  EXPECT_LT(closing, 1500u);  // the pending comm wait ended soon after the stop
  EXPECT_FALSE(p.Comm->IsOpen());
  EXPECT_FALSE(p.Comm->HasEventThread());
  p.Comm->Open();  // the port is free again
  EXPECT_TRUE(p.Comm->IsOpen());
}

TEST(WineLifecycle, BlockTheDriverRefusesAtOpenClosesThePortAgain) {
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->SetDatabits(db4);
  EXPECT_TRUE(RaisesWithSystemCode([&] { p.Comm->Open(); }, "Error writing dcb (%d), %s"));
  EXPECT_FALSE(p.Comm->IsOpen());
  EXPECT_FALSE(p.Comm->HasEventThread());
  EXPECT_EQ(p.Comm->Databits(), db4);
  p.Comm->SetDatabits(db8);
  p.Comm->Open();  // a failed Open may be retried
  EXPECT_TRUE(p.Comm->IsOpen());
}

TEST(WineEventThread, BurstWhileTheUserInterfaceIsBusyGivesOneOnRxCharWithTheWholeCount) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  std::vector<int> counts;
  std::string got;
  p.Comm->OnRxChar = [&](TObject* Sender, int Count) {
    EXPECT_EQ(Sender, p.Comm.get());
    EXPECT_TRUE(IsMainThread());
    counts.push_back(Count);
    got += ReadAll(*p.Comm, Count);
  };
  p.Comm->Open();
  std::string sent;
  for (int i = 0; i < 50; ++i) {
    sent += char('A' + i % 26);
    ASSERT_TRUE(Peer().Send(p.Com, sent.substr(sent.size() - 1)));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // busy
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 3000));
  PumpFor(300);
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_EQ(counts[0], 50);
  EXPECT_EQ(got, sent);
}

TEST(WineEventThread, ExceptionInOnRxCharGoesToTheApplicationAndReportingGoesOn) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  int calls = 0;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    ++calls;
    ReadAll(*p.Comm, Count);
    if (calls == 1) throw EVaCommError("handler failed");
  };
  p.Comm->Open();
  ASSERT_TRUE(Peer().Send(p.Com, "a"));
  ASSERT_TRUE(PumpUntil([&] { return !p.App.Errors.empty(); }, 3000));
  EXPECT_EQ(p.App.Errors[0], "handler failed");
  ASSERT_TRUE(Peer().Send(p.Com, "b"));
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }, 3000));
  EXPECT_EQ(p.App.Errors.size(), 1u);
}

TEST(WineEventThread, ModemLineChangesRaiseTheirEventsCtsBeforeDsr) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  std::vector<std::string> order;
  p.Comm->OnCts = [&](TObject*) { order.push_back("Cts"); };
  p.Comm->OnDsr = [&](TObject*) { order.push_back("Dsr"); };
  p.Comm->Open();
  PumpFor(500);  // the event thread waits, also under load
  ASSERT_TRUE(Peer().SetLines(p.Com, PeerCd));
  ASSERT_TRUE(PumpUntil([&] { return order.size() >= 2; }, 3000));
  EXPECT_EQ(order, std::vector<std::string>({"Cts", "Dsr"}));
}

TEST(WineEventThread, CloseWhileAHandOverIsPendingServesItAndCompletes) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  bool ranInClose = false;
  bool closing = false;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    ranInClose = closing;
    EXPECT_EQ(ReadAll(*p.Comm, Count), "late");  // the port is still open here
  };
  p.Comm->Open();
  ASSERT_TRUE(Peer().Send(p.Com, "late"));
  // Wait, without serving it, until the event thread is blocked in its hand-over.
  ASSERT_TRUE(WaitUntil([] { return SynchronizePending(); }, 3000, 5));
  closing = true;
  p.Comm->Close();
  EXPECT_TRUE(ranInClose);
  EXPECT_FALSE(p.Comm->IsOpen());
}

TEST(WineEventThread, VanishedDeviceNeitherSpinsNorHangsClose) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  int events = 0;
  p.Comm->OnRxChar = [&](TObject*, int) { ++events; };
  p.Comm->Open();
  ASSERT_TRUE(Peer().Send(p.Com, "x"));
  ASSERT_TRUE(Peer().HangUp(p.Com));
  PumpFor(100);
  const double cpu0 = ProcessCpuSeconds();
  PumpFor(500);
  // Wine polls a pending comm wait every millisecond; a thread that spins takes the core.
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.25);
  EXPECT_LE(events, 1);
  EXPECT_TRUE(RaisesWithSystemCode([&] { p.Comm->WriteData("x", 1); }, "Write error (%d), %s"));
  const uint64_t t0 = GetTickCount64();
  p.Comm->Close();
  EXPECT_LT(GetTickCount64() - t0, 1500u);
  EXPECT_FALSE(p.Comm->IsOpen());
}

TEST(WineReadWrite, DirectWriteReachesTheDeviceAndReadDataTakesWhatHasArrived) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->SetMonitorEvents({});  // nobody else reads
  p.Comm->Open();
  const std::string command("\x82\xE6\x04\x35\x06\x00\x00\x74\x83", 9);
  EXPECT_EQ(p.Comm->WriteData(command.data(), 9), 9);
  EXPECT_EQ(Peer().Receive(p.Com, 9, 3000), command);
  ASSERT_TRUE(Peer().Send(p.Com, "abc"));
  ASSERT_TRUE(PumpUntil([&] { return p.Comm->InQueueCount() == 3; }, 3000));
  char buf[32];
  EXPECT_EQ(p.Comm->ReadData(buf, 2), 2);  // at most the count asked for
  EXPECT_EQ(p.Comm->ReadData(buf + 2, sizeof buf - 2), 1);
  EXPECT_EQ(std::string(buf, 3), "abc");
}

TEST(WineReadWrite, DirectWriteRaisesOnTxEmptyWhenMonitored) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->SetMonitorEvents({ceTxEmpty});
  int empties = 0;
  p.Comm->OnTxEmpty = [&](TObject*) { ++empties; };
  p.Comm->Open();
  EXPECT_EQ(p.Comm->WriteData("hello", 5), 5);
  EXPECT_TRUE(PumpUntil([&] { return empties == 1; }, 3000));
  EXPECT_EQ(Peer().Receive(p.Com, 5, 3000), "hello");
}

TEST(WineWriteThread, QuickWritesArriveInOrderAndTransmitEmptyFollows) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->SetDirectWrite(false);
  int empties = 0;
  p.Comm->OnTxEmpty = [&](TObject* s) {
    EXPECT_EQ(s, p.Comm.get());
    ++empties;
  };
  p.Comm->Open();
  ASSERT_TRUE(p.Comm->HasWriteThread());
  EXPECT_EQ(p.Comm->WriteData("0123456789", 10), 10);
  EXPECT_EQ(p.Comm->WriteData("abcdefghij", 10), 10);
  // The thread's hand-over of a drained buffer needs the loop to run meanwhile.
  std::string got;
  TEventObject received(true, false);
  std::thread reader([&] {
    got = Peer().Receive(p.Com, 20, 5000);
    received.Set();
  });
  PumpUntil([&] { return received.IsSet(); }, 6000);
  reader.join();
  EXPECT_EQ(got, "0123456789abcdefghij");
  EXPECT_TRUE(PumpUntil([&] { return empties >= 1; }, 3000));
  PumpFor(100);
  EXPECT_LE(empties, 2);
}

TEST(WineWriteThread, BlockLargerThanTheBufferWaitsWriteTimeoutAndRaises) {
  TDeadline deadline(20000);
  TPortOnWine p;
  ASSERT_GE(p.Com, 0) << Peer().Error();
  p.Comm->SetDirectWrite(false);
  p.Comm->Open();
  const std::string big(3000, 'b');
  const uint64_t t0 = GetTickCount64();
  EXPECT_TRUE(RaisesCommError([&] { p.Comm->WriteData(big.data(), 3000); },
                              "Output buffer is full. Please check comm status."));
  const uint64_t waited = GetTickCount64() - t0;
  EXPECT_GE(waited, 1000u);
  EXPECT_LT(waited, 2000u);
}
