// <windows.h> first, then our headers whose constants it also defines: either order compiles.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel/EventObject.h"
#include "platform/kernel/ThreadPriority.h"
#include "platform/serial/SerialDevice.h"

static_assert(INFINITE == 0xFFFFFFFFu && EV_RXCHAR == 1 && EV_EVENT2 == 0x1000 && CE_BREAK == 0x10);
static_assert(DtrControlFlags(DTR_CONTROL_ENABLE) == 0x10 && RtsControlFlags(RTS_CONTROL_TOGGLE) == 0x3000);
static_assert(sizeof(TDCB) == sizeof(DCB) && sizeof(THandle) == sizeof(HANDLE));

TEST(ThreadPriority, TheTableOfWindowsLevelsIsApplied) {
  const struct {
    TThreadPriority Priority;
    int Level;
  } table[] = {{tpIdle, -15}, {tpLowest, -2},  {tpLower, -1},        {tpNormal, 0},
               {tpHigher, 1}, {tpHighest, 2}, {tpTimeCritical, 15}};
  std::thread t([&] {
    for (const auto& row : table) {
      EXPECT_EQ(SystemPriorityOf(row.Priority), row.Level);
      ApplyThreadPriority(CurrentThreadId(), row.Priority);
      EXPECT_EQ(GetThreadPriority(GetCurrentThread()), row.Level) << "priority " << int(row.Priority);
    }
  });
  t.join();
}

TEST(EventObject, HandlesAreEventsOfTheSystem) {
  TEventObject e(true, false);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(e.Handle()), 0), DWORD(WAIT_TIMEOUT));
  SetEvent(reinterpret_cast<HANDLE>(e.Handle()));
  EXPECT_TRUE(e.IsSet());
  EXPECT_EQ(WaitForEvent(e, 0).Status, TWaitStatus::Signaled);
}
