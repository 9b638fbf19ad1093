#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "comm/CommTestSupport.h"
#include "comm/VaObjects.h"

TEST(Objects, WaitEventIsManualResetAndStartsNotSignalled) {
  TVaWaitEvent e;
  EXPECT_EQ(e.WaitFor(0), waitTimeout);
  e.Signal();
  EXPECT_EQ(e.WaitFor(0), waitSignaled);
  EXPECT_EQ(e.WaitFor(INFINITE), waitSignaled);  // stays set
  e.Reset();
  const uint64_t t0 = GetTickCount64();
  EXPECT_EQ(e.WaitFor(50), waitTimeout);
  EXPECT_GE(GetTickCount64() - t0, 50u);
}

TEST(Objects, CriticalSectionIsReentrantAndExcludesOtherThreads) {
  TDeadline deadline(5000);
  TVaCriticalSection cs;
  cs.Enter();
  cs.Enter();
  std::atomic<bool> entered{false};
  std::thread t([&] {
    cs.Enter();
    entered = true;
    cs.Leave();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  cs.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered.load());  // still held once
  cs.Leave();
  t.join();
  EXPECT_TRUE(entered.load());
}
