#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel/DateTime.h"
#include "platform/kernel/EventObject.h"
#include "platform/kernel/Sleep.h"
#include "platform/kernel/Tick.h"

TEST(DateTime, UnixEpochAndOffsetGiveLocalDays) {
  EXPECT_DOUBLE_EQ(UnixMsToDateTime(0, 0), 25569.0);
  // 12:00 UTC in a zone one hour ahead is 13:00 local.
  EXPECT_NEAR(UnixMsToDateTime(12 * 3600 * 1000LL, 3600), 25569.0 + 13.0 / 24.0, 1e-9);
  EXPECT_NEAR(UnixMsToDateTime(500, 0) - UnixMsToDateTime(0, 0), 500.0 / MSecsPerDay, 1e-10);
}

TEST(DateTime, CalendarDatesCountFromTheEpochDay) {
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1970, 1, 1, 0, 0, 0, 0), 25569.0);
  // Leap days: 2000 has one (a multiple of 400), 1900 none.
  EXPECT_DOUBLE_EQ(EncodeDateTime(2000, 3, 1, 0, 0, 0, 0) - EncodeDateTime(2000, 2, 28, 0, 0, 0, 0), 2.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 3, 1, 0, 0, 0, 0) - EncodeDateTime(1900, 2, 28, 0, 0, 0, 0), 1.0);
  EXPECT_NEAR(EncodeDateTime(2026, 12, 8, 18, 30, 15, 250), UnixMsToDateTime(1796754615250LL, 0), 1e-9);
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
  // The 32-bit count is the low half of the same clock.
  EXPECT_LE(uint32_t(GetTickCount() - uint32_t(b)), 1000u);
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

TEST(EventObject, LookingAtAnAutoResetObjectLeavesItsSignal) {
  TEventObject e(false, false);
  EXPECT_FALSE(e.IsSet());
  e.Set();
  EXPECT_TRUE(e.IsSet());
  EXPECT_TRUE(e.IsSet());
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Signaled);
  EXPECT_FALSE(e.IsSet());
}

TEST(EventObject, WaitOnHandlesSeesASignalledEvent) {
  TEventObject a, b(true, true);
  const TWaitOutcome r = WaitForHandles({a.Handle(), b.Handle()}, 1000);
  EXPECT_EQ(r.Status, TWaitStatus::Signaled);
  EXPECT_EQ(r.Index, 1);
  EXPECT_EQ(WaitForHandles({a.Handle()}, 10).Status, TWaitStatus::Timeout);
}
