#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/kernel/DateTime.h"
#include "platform/kernel/EventObject.h"
#include "platform/kernel/Sleep.h"
#include "platform/kernel/SysError.h"
#include "platform/kernel/ThreadPriority.h"
#include "platform/kernel/Tick.h"

TEST(DateTime, UnixEpochAndOffsetGiveLocalDays) {
  EXPECT_DOUBLE_EQ(UnixMsToDateTime(0, 0), 25569.0);
  // 12:00 UTC in a zone one hour ahead is 13:00 local.
  EXPECT_NEAR(UnixMsToDateTime(12 * 3600 * 1000LL, 3600), 25569.0 + 13.0 / 24.0, 1e-9);
  EXPECT_NEAR(UnixMsToDateTime(500, 0) - UnixMsToDateTime(0, 0), 500.0 / MSecsPerDay, 1e-10);
}

TEST(DateTime, NowIsAfter2020AndMoves) {
  const TDateTime a = Now();
  EXPECT_GT(a, 43831.0);  // 2020-01-01
  Sleep(5);
  EXPECT_GT(Now(), a);
}

TEST(Tick, MonotonicAndSleepWaitsAtLeastItsTime) {
  const uint64_t a = GetTickCount64();
  Sleep(20);
  const uint64_t b = GetTickCount64();
  EXPECT_GE(b - a, 20u);
}

TEST(SysError, TextOfACode) {
  SetLastError(ENOENT);
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
}

TEST(ThreadPriority, RaisingWithoutPrivilegeNeverFails) {
  EXPECT_EQ(NiceValueOf(tpNormal), 0);
  EXPECT_LT(NiceValueOf(tpHigher), 0);
  EXPECT_GT(NiceValueOf(tpLower), 0);
  std::thread t([] {
    ApplyThreadPriority(CurrentThreadTid(), tpTimeCritical);
    ApplyThreadPriority(CurrentThreadTid(), tpIdle);
  });
  t.join();
}

TEST(EventObject, ManualResetStaysSignalledUntilReset) {
  TEventObject e(true, false);
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Timeout);
  e.Set();
  e.Set();
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Signaled);
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Signaled);
  e.Reset();
  EXPECT_FALSE(e.IsSet());
}

TEST(EventObject, AutoResetIsConsumedByOneWait) {
  TEventObject e(false, true);
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Signaled);
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Timeout);
}

TEST(EventObject, WaitOnSeveralGivesTheSignalledOneAndHonoursTheTimeLimit) {
  TEventObject a, b;
  const uint64_t start = GetTickCount64();
  EXPECT_EQ(WaitForEvents({&a, &b}, 30).Status, TWaitStatus::Timeout);
  EXPECT_GE(GetTickCount64() - start, 30u);
  std::thread t([&] {
    Sleep(10);
    b.Set();
  });
  TWaitOutcome r = WaitForEvents({&a, &b}, 5000);
  t.join();
  EXPECT_EQ(r.Status, TWaitStatus::Signaled);
  EXPECT_EQ(r.Index, 1);
}
