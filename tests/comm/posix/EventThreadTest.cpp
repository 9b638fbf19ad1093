#include <gtest/gtest.h>

#include <thread>

#include "comm/CommTestSupport.h"
#include "platform/serial/SerialTestSupport.h"
#include "platform/ui/Synchronize.h"
#include "support/CpuTime.h"
#include "support/WaitUntil.h"

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
  ASSERT_TRUE(WaitUntil([] { return SynchronizePending(); }, 3000, 5));
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
  const double cpu0 = ProcessCpuSeconds();
  PumpFor(500);
  EXPECT_LT(ProcessCpuSeconds() - cpu0, 0.25);
  EXPECT_LE(events, 1);
  const uint64_t t0 = GetTickCount64();
  p.Comm->Close();
  EXPECT_LT(GetTickCount64() - t0, 1500u);
  EXPECT_FALSE(p.Comm->IsOpen());
}

