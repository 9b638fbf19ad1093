#include <gtest/gtest.h>

#include <time.h>

#include <thread>

#include "comm/CommTestSupport.h"
#include "platform/serial/SerialTestSupport.h"
#include "platform/ui/Synchronize.h"

namespace {

struct TPortOnPty {
  TTestApp App;
  TPtyPair Pty;
  std::unique_ptr<TVaComm> Comm;
  TPortOnPty() {
    Comm = std::make_unique<TVaComm>(nullptr);
    ApplyProgramSettings(*Comm);
    Comm->SetDeviceName(Pty.SlavePath());
  }
};

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

std::string ReadAll(TVaComm& c, int count) {
  std::string s(size_t(count), '\0');
  s.resize(size_t(c.ReadData(s.data(), count)));
  return s;
}

}  // namespace

TEST(EventThread, ArrivalRaisesOnRxCharOnTheUserInterfaceThreadWithTheWaitingCount) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  std::vector<int> counts;
  std::string got;
  p.Comm->OnRxChar = [&](TObject* Sender, int Count) {
    EXPECT_EQ(Sender, p.Comm.get());
    EXPECT_TRUE(IsMainThread());
    counts.push_back(Count);
    got += ReadAll(*p.Comm, Count);
  };
  p.Comm->Open();
  const std::string ack("\x82\xFF\x01\x0A\x00\x00", 6);
  ASSERT_TRUE(p.Pty.Send(ack));
  ASSERT_TRUE(PumpUntil([&] { return got.size() == 6; }, 3000));
  EXPECT_EQ(counts, std::vector<int>({6}));
  EXPECT_EQ(got, ack);
}

TEST(EventThread, BurstWhileTheUserInterfaceIsBusyGivesOneEvent) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  std::vector<int> counts;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    counts.push_back(Count);
    ReadAll(*p.Comm, Count);
  };
  p.Comm->Open();
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(p.Pty.Send(std::string(1, char('A' + i % 26))));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // busy
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 3000));
  PumpFor(300);
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_GE(counts[0], 50);
}

TEST(EventThread, UnreadBytesAreAnnouncedAgainOnlyWithTheNextArrival) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  std::vector<int> counts;
  std::string got;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    counts.push_back(Count);
    got += ReadAll(*p.Comm, counts.size() == 1 ? 4 : Count);  // the first time, only 4
  };
  p.Comm->Open();
  ASSERT_TRUE(p.Pty.Send("0123456789"));
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 3000));
  PumpFor(300);
  EXPECT_EQ(counts, std::vector<int>({10}));
  ASSERT_TRUE(p.Pty.Send("X"));
  ASSERT_TRUE(PumpUntil([&] { return counts.size() == 2; }, 3000));
  EXPECT_EQ(counts[1], 7);
  EXPECT_EQ(got, "0123456789X");  // nothing lost, in order
}

TEST(EventThread, ExceptionInOnRxCharGoesToTheApplicationAndReportingGoesOn) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  int calls = 0;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    ++calls;
    ReadAll(*p.Comm, Count);
    if (calls == 1) throw EVaCommError("handler failed");
  };
  p.Comm->Open();
  ASSERT_TRUE(p.Pty.Send("a"));
  ASSERT_TRUE(PumpUntil([&] { return !p.App.Errors.empty(); }, 3000));
  EXPECT_EQ(p.App.Errors[0], "handler failed");
  ASSERT_TRUE(p.Pty.Send("b"));
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }, 3000));
  EXPECT_EQ(p.App.Errors.size(), 1u);
}

TEST(EventThread, CloseWhileAHandOverIsPendingServesItAndCompletes) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  bool ranInClose = false;
  bool closing = false;
  p.Comm->OnRxChar = [&](TObject*, int Count) {
    ranInClose = closing;
    EXPECT_EQ(ReadAll(*p.Comm, Count), "late");  // the port is still open here
  };
  p.Comm->Open();
  ASSERT_TRUE(p.Pty.Send("late"));
  // Wait, without serving it, until the event thread is blocked in its hand-over.
  const uint64_t end = GetTickCount64() + 3000;
  while (!SyncEvent().IsSet() && GetTickCount64() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(SyncEvent().IsSet());
  closing = true;
  p.Comm->Close();
  EXPECT_TRUE(ranInClose);
  EXPECT_FALSE(p.Comm->IsOpen());
}

TEST(EventThread, VanishedDeviceNeitherSpinsNorHangsClose) {
  TDeadline deadline(10000);
  TPortOnPty p;
  ASSERT_TRUE(p.Pty.Ok());
  int events = 0;
  p.Comm->OnRxChar = [&](TObject*, int) { ++events; };
  p.Comm->Open();
  p.Pty.Send("x");
  p.Pty.CloseMaster();
  PumpFor(100);
  const double cpu0 = CpuSeconds();
  PumpFor(500);
  EXPECT_LT(CpuSeconds() - cpu0, 0.25);
  EXPECT_LE(events, 1);
  const uint64_t t0 = GetTickCount64();
  p.Comm->Close();
  EXPECT_LT(GetTickCount64() - t0, 1500u);
  EXPECT_FALSE(p.Comm->IsOpen());
}

TEST(EventDispatch, ErrorsFirstThenThePlainEventsInTheirOrder) {
  TTestApp app;
  TRecordingComm c(nullptr);
  std::vector<std::string> order;
  auto note = [&](const char* name) { return [&order, name](TObject*) { order.push_back(name); }; };
  c.OnError = [&](TObject*, int Errors) { order.push_back("Error " + std::to_string(Errors)); };
  c.OnRxFlag = note("RxFlag");
  c.OnCts = note("Cts");
  c.OnDsr = note("Dsr");
  c.OnRing = note("Ring");
  c.OnRlsd = note("Rlsd");
  c.OnTxEmpty = note("TxEmpty");
  c.OnBreak = note("Break");
  c.OnPErr = note("PErr");
  c.OnRx80Full = note("Rx80Full");
  c.OnEvent1 = note("Event1");
  c.OnEvent2 = note("Event2");
  c.Open();
  c.Log.Errors = CE_FRAME | CE_OVERRUN;
  c.DispatchEvents(0x1FFE);
  EXPECT_EQ(order, std::vector<std::string>({"Error 10", "RxFlag", "Cts", "Dsr", "Ring", "Rlsd", "TxEmpty", "Break",
                                             "PErr", "Rx80Full", "Event1", "Event2"}));
  // A line-error bit with no pending flags raises nothing.
  order.clear();
  c.DispatchEvents(EV_ERR | EV_DSR | EV_CTS);
  EXPECT_EQ(order, std::vector<std::string>({"Cts", "Dsr"}));
}

TEST(EventDispatch, ExceptionInOnErrorGoesToTheApplicationAndTheBatchGoesOn) {
  TTestApp app;
  TRecordingComm c(nullptr);
  bool cts = false;
  c.OnError = [](TObject*, int) { throw EVaCommError("error handler failed"); };
  c.OnCts = [&](TObject*) { cts = true; };
  c.Open();
  c.Log.Errors = CE_BREAK;
  EXPECT_TRUE(c.CheckLineErrors());
  EXPECT_FALSE(c.CheckLineErrors());  // reading the flags cleared them
  c.Log.Errors = CE_BREAK;
  c.DispatchEvents(EV_ERR | EV_CTS);
  EXPECT_TRUE(cts);
  ASSERT_EQ(app.Errors.size(), 2u);
  EXPECT_EQ(app.ErrorSenders[1], &c);
  EXPECT_EQ(c.InQueueCount(), 0);
}
