#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/kernel/SysError.h"
#include "platform/kernel/ThreadPriority.h"

TEST(SysError, TextOfACode) {
  SetLastError(ENOENT);
  EXPECT_EQ(GetLastError(), ENOENT);
  EXPECT_EQ(SysErrorMessage(ENOENT), "No such file or directory");
}

TEST(ThreadPriority, NiceValuesAndRaisingWithoutPrivilegeNeverFails) {
  EXPECT_EQ(SystemPriorityOf(tpNormal), 0);
  EXPECT_LT(SystemPriorityOf(tpHigher), 0);
  EXPECT_GT(SystemPriorityOf(tpLower), 0);
  std::thread t([] {
    ApplyThreadPriority(CurrentThreadId(), tpTimeCritical);
    ApplyThreadPriority(CurrentThreadId(), tpIdle);
  });
  t.join();
}
