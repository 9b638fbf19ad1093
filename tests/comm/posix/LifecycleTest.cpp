#include <gtest/gtest.h>

#include <termios.h>

#include "comm/CommTestSupport.h"
#include "platform/serial/SerialTestSupport.h"
#include "platform/ui/Synchronize.h"

namespace {
const char* const OpenMessage = "Can't perform this operation while port is open";

// A component on the slave side of `pty`, closed.
std::unique_ptr<TVaComm> OnPty(const TPtyPair& pty) {
  auto c = std::make_unique<TVaComm>(nullptr);
  c->SetDeviceName(pty.SlavePath());
  c->SetDirectWrite(true);
  return c;
}
}  // namespace

TEST(Lifecycle, ComPortOpensThroughItsLinkRawAt19200) {
  TTestApp app;
  TDosDevices dos;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  dos.Link("com3", pty.SlavePath());
  TVaComm c(nullptr);
  ApplyProgramSettings(c);
  c.SetPortNum(3);
  EXPECT_EQ(c.GetDeviceName(), "COM3");
  c.Open();
  ASSERT_TRUE(c.IsOpen());
  termios t{};
  ASSERT_EQ(tcgetattr(c.Handle(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B19200));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
}

TEST(Lifecycle, MissingDeviceIsNotFoundAndLeavesThePortClosed) {
  TTestApp app;
  TDosDevices dos;
  dos.Link("com9", "/dev/orvel-unplugged");
  TVaComm c(nullptr);
  c.SetPortNum(9);
  EXPECT_TRUE(RaisesCommError([&] { c.Open(); }, "Specified device not found (COM9)."));
  EXPECT_FALSE(c.IsOpen());
  EXPECT_EQ(c.Handle(), -1);
  char b[4] = {1, 2, 3, 4};
  EXPECT_EQ(c.ReadData(b, 4), 0);
  EXPECT_EQ(c.WriteData(b, 4), 0);
}

TEST(Lifecycle, DeviceHeldElsewhereCannotBeOpened) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto holder = OpenSerialDevice(pty.SlavePath());
  ASSERT_TRUE(holder);
  auto c = OnPty(pty);
  EXPECT_TRUE(RaisesCommError([&] { c->Open(); },
                              "Can't open specified device " + pty.SlavePath() +
                                  " (Error 16, Device or resource busy)"));
  EXPECT_FALSE(c->IsOpen());
  holder.reset();
  c->Open();  // a failed Open may be retried
  EXPECT_TRUE(c->IsOpen());
}

TEST(Lifecycle, OpenTwiceIsRefusedAndCloseTwiceReturnsAtOnce) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto c = OnPty(pty);
  int closes = 0;
  c->OnClose = [&](TObject* s) {
    EXPECT_EQ(s, c.get());
    ++closes;
  };
  c->Open();
  const int handle = c->Handle();
  EXPECT_TRUE(RaisesCommError([&] { c->Open(); }, OpenMessage));
  EXPECT_EQ(c->Handle(), handle);
  uint64_t t0 = GetTickCount64();
  c->Close();
  EXPECT_GE(GetTickCount64() - t0, 300u);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(c->IsOpen());
  t0 = GetTickCount64();
  c->Close();
  EXPECT_LT(GetTickCount64() - t0, 100u);
  EXPECT_EQ(closes, 1);
}

TEST(Lifecycle, RefusedBlockAtOpenClosesThePortAgain) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto c = OnPty(pty);
  c->SetDatabits(db4);
  EXPECT_TRUE(RaisesCommError([&] { c->Open(); }, "Error writing dcb (22), Invalid argument"));
  EXPECT_FALSE(c->IsOpen());
  EXPECT_EQ(c->Databits(), db4);
  c->SetDatabits(db8);
  c->SetStopbits(sb15);
  EXPECT_TRUE(RaisesCommError([&] { c->Open(); }, "Error writing dcb (22), Invalid argument"));
  c->SetStopbits(sb1);
  c->Open();
  EXPECT_TRUE(c->IsOpen());
}

TEST(Lifecycle, ExceptionInOnOpenGoesToTheApplicationAndThePortStaysOpen) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto c = OnPty(pty);
  c->OnOpen = [](TObject*) { throw EVaCommError("open handler failed"); };
  c->Open();
  EXPECT_TRUE(c->IsOpen());
  ASSERT_EQ(app.Errors.size(), 1u);
  EXPECT_EQ(app.Errors[0], "open handler failed");
  EXPECT_EQ(app.ErrorSenders[0], c.get());
}

TEST(Lifecycle, DestructionClosesWithoutOnCloseAndFreesTheDevice) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  bool closed = false;
  {
    auto c = OnPty(pty);
    c->OnClose = [&](TObject*) { closed = true; };
    c->Open();
  }
  EXPECT_FALSE(closed);
  EXPECT_TRUE(OpenSerialDevice(pty.SlavePath()));  // no longer held
}

TEST(Lifecycle, NoMonitoredEventsStartsNoEventThread) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto c = OnPty(pty);
  c->SetMonitorEvents({});
  int events = 0;
  c->OnRxChar = [&](TObject*, int) { ++events; };
  c->Open();
  EXPECT_FALSE(c->HasEventThread());
  EXPECT_FALSE(c->HasWriteThread());
  ASSERT_TRUE(pty.Send("abc"));
  PumpFor(200);
  EXPECT_EQ(events, 0);
  char b[8];
  EXPECT_EQ(c->ReadData(b, 8), 3);
}

namespace {
// Fails after the event thread is already running.
class TFailingStartComm : public TVaComm {
 public:
  using TVaComm::TVaComm;

 protected:
  void StartThreads() override {
    TVaComm::StartThreads();
    throw EVaCommError("no write thread");
  }
};
}  // namespace

TEST(Lifecycle, FailureAfterTheEventThreadStartedStopsItBeforeTheDeviceCloses) {
  TTestApp app;
  TDeadline deadline(10000);
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  TFailingStartComm c(nullptr);
  c.SetDeviceName(pty.SlavePath());
  EXPECT_TRUE(RaisesCommError([&] { c.Open(); }, "no write thread"));
  EXPECT_FALSE(c.IsOpen());
  EXPECT_FALSE(c.HasEventThread());
  EXPECT_FALSE(c.HasWriteThread());
}

TEST(Lifecycle, AutoOpenOpensAtTheEndOfLoadingOutsideDesignMode) {
  TTestApp app;
  TPtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto c = OnPty(pty);
  c->SetAutoOpen(true);
  c->SetDesigning(true);
  c->BeginLoading();
  c->Loaded();
  EXPECT_FALSE(c->IsOpen());
  c->SetDesigning(false);
  c->BeginLoading();
  c->Loaded();
  EXPECT_TRUE(c->IsOpen());
}
