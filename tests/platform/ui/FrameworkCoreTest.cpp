#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/Sleep.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Synchronize.h"
#include "platform/ui/Thread.h"
#include "platform/ui/Timer.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"
#include "support/Pump.h"

namespace {

struct Fixture : ::testing::Test {
  THeadlessBackend* backend = new THeadlessBackend;
  TApplication app{std::unique_ptr<TBackend>(backend)};
};

class TLambdaThread : public TThread {
 public:
  explicit TLambdaThread(std::function<void(TLambdaThread&)> body) : TThread(true), FBody(std::move(body)) {}
  ~TLambdaThread() override {
    Terminate();
    WaitFor();
  }
  using TThread::Synchronize;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(TLambdaThread&)> FBody;
};

class TCountingComponent : public TComponent {
 public:
  TCountingComponent(TComponent* owner, std::vector<int>& log, int id) : TComponent(owner), FLog(log), FId(id) {}
  ~TCountingComponent() override { FLog.push_back(FId); }

 private:
  std::vector<int>& FLog;
  int FId;
};

}  // namespace

using Components = Fixture;
using HandOver = Fixture;
using Timers = Fixture;
using MessageLoop = Fixture;
using Forms = Fixture;

TEST_F(Components, OwnerFreesOwnedLastFirstAndEarlyFreeLeavesTheList) {
  std::vector<int> log;
  {
    TComponent owner(nullptr);
    new TCountingComponent(&owner, log, 1);
    auto* two = new TCountingComponent(&owner, log, 2);
    new TCountingComponent(&owner, log, 3);
    delete two;
    EXPECT_EQ(owner.ComponentCount(), 2);
  }
  EXPECT_EQ(log, (std::vector<int>{2, 3, 1}));
}

TEST(Persistent, AssignOfAnUnknownClassRaisesTheFrenchMessage) {
  TPersistent a, b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Impossible d'affecter TPersistent \u00e0 TPersistent");
  }
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

TEST_F(HandOver, WorkerBlocksUntilTheRoutineRanOnTheUiThread) {
  std::atomic<bool> ranOnMain{false}, returned{false};
  TLambdaThread t([&](TLambdaThread& self) {
    self.Synchronize([&] { ranOnMain = IsMainThread(); });
    returned = true;
  });
  t.Start();
  Sleep(30);
  EXPECT_FALSE(returned);  // nobody served the queue yet
  ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
  EXPECT_TRUE(ranOnMain);
}

TEST_F(HandOver, WaitForServesAPendingHandOver) {
  std::atomic<int> served{0};
  TLambdaThread t([&](TLambdaThread& self) {
    for (int i = 0; i < 3; ++i) self.Synchronize([&] { ++served; });
  });
  t.Start();
  t.WaitFor();  // would never return if hand-overs were not served while waiting
  EXPECT_EQ(served, 3);
}

TEST_F(HandOver, ExceptionOfTheRoutineReachesTheWorker) {
  std::atomic<bool> caught{false};
  TLambdaThread t([&](TLambdaThread& self) {
    try {
      self.Synchronize([] { throw Exception("boom"); });
    } catch (const Exception& e) {
      caught = e.Message() == "boom";
    }
  });
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(caught);
}

TEST_F(Timers, TicksOnlyWhenEnabledWithIntervalAndHandler) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(20);
  EXPECT_FALSE(timer.Running());  // no handler yet
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  EXPECT_TRUE(timer.Running());
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  timer.SetInterval(0);
  const int before = ticks;
  PumpFor(60);
  EXPECT_EQ(ticks, before);
  EXPECT_EQ(TTimerList::TimeToNextTick(), INFINITE);
}

TEST_F(Timers, SettingTheSameValueDoesNotRestartThePeriod) {
  TTimer timer(nullptr);
  timer.SetInterval(100);
  timer.SetOnTimer([](TObject*) {});
  const uint64_t due = timer.DueAt();
  Sleep(15);
  timer.SetInterval(100);
  timer.SetEnabled(true);
  EXPECT_EQ(timer.DueAt(), due);
  timer.SetInterval(101);
  EXPECT_GT(timer.DueAt(), due);
}

TEST_F(Timers, ATickThatFreesAnotherDueTimerIsSafe) {
  auto* second = new TTimer(nullptr);
  TTimer first(nullptr);
  int secondTicks = 0;
  // `first` starts first, so it ticks first and frees `second` before its turn.
  first.SetInterval(1);
  first.SetOnTimer([&](TObject*) {
    delete second;
    second = nullptr;
  });
  second->SetInterval(1);
  second->SetOnTimer([&](TObject*) { ++secondTicks; });
  Sleep(5);
  app.ProcessMessages();
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(secondTicks, 0);
}

TEST_F(Timers, ATimerRestartedOrStoppedByAnEarlierTickWaitsForItsNewPeriod) {
  TTimer first(nullptr), restarted(nullptr), stopped(nullptr);
  int restartedTicks = 0, stoppedTicks = 0;
  for (TTimer* t : {&first, &restarted, &stopped}) t->SetInterval(1);
  first.SetOnTimer([&](TObject*) {
    restarted.SetInterval(10000);
    stopped.SetEnabled(false);
    stopped.SetEnabled(true);  // enabled again: a new period, not a tick now
  });
  restarted.SetOnTimer([&](TObject*) { ++restartedTicks; });
  stopped.SetOnTimer([&](TObject*) { ++stoppedTicks; });
  Sleep(5);
  app.ProcessMessages();
  EXPECT_EQ(restartedTicks, 0);
  EXPECT_EQ(stoppedTicks, 0);
}

TEST_F(Timers, ATickMayReplaceItsOwnHandlerOrFreeItsOwnTimer) {
  auto* timer = new TTimer(nullptr);
  std::vector<std::string> log;
  const std::string name(40, 'x');  // kept by the handler itself, not on the stack
  timer->SetInterval(1);
  timer->SetOnTimer([&log, timer, name](TObject*) {
    timer->SetOnTimer([&log](TObject*) { log.push_back("second"); });
    log.push_back(name);  // the handler runs on after being replaced
  });
  Sleep(5);
  app.ProcessMessages();
  ASSERT_EQ(log, std::vector<std::string>{name});
  timer->SetOnTimer([&log, &timer, name](TObject*) {
    delete timer;
    timer = nullptr;
    log.push_back(name);
  });
  Sleep(5);
  app.ProcessMessages();
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(TTimerList::TimeToNextTick(), INFINITE);
}

TEST_F(MessageLoop, WaitBlocksWithoutSpinning) {
  const int waitsBefore = backend->WaitCount;
  const uint64_t start = GetTickCount64();
  app.WaitMessage(50);
  EXPECT_GE(GetTickCount64() - start, 45u);
  EXPECT_EQ(backend->WaitCount, waitsBefore + 1);
}

TEST_F(MessageLoop, AWorkersHandOverEndsAnIdleWait) {
  std::atomic<bool> done{false};
  TLambdaThread t([&](TLambdaThread& self) {
    Sleep(20);
    self.Synchronize([] {});
    done = true;
  });
  t.Start();
  const uint64_t start = GetTickCount64();
  app.WaitMessage(INFINITE);
  EXPECT_LT(GetTickCount64() - start, 2000u);
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
}

class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner);
  static TTestForm* Instance;
  TTestForm* SeenInCreate = nullptr;
};
TTestForm* TTestForm::Instance = nullptr;

TTestForm::TTestForm(TComponent* owner) : TForm(owner) {
  SetClientWidth(256);
  SetClientHeight(276);
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);
  OnCreate = [this](TObject*) {
    SeenInCreate = Instance;
    throw Exception("from create");
  };
}

TEST_F(Forms, ReferenceIsSetBeforeCreateAndItsExceptionGoesToTheHandler) {
  std::vector<std::string> handled;
  app.OnException = [&](TObject*, const Exception& e) { handled.push_back(e.Message()); };
  app.CreateForm(TTestForm::Instance);
  EXPECT_EQ(TTestForm::Instance->SeenInCreate, TTestForm::Instance);
  EXPECT_EQ(handled, std::vector<std::string>{"from create"});
  EXPECT_EQ(app.MainForm(), TTestForm::Instance);
}

TEST_F(Forms, ClosingTheMainWindowEndsRun) {
  app.CreateForm(TTestForm::Instance);
  std::thread closer([&] {
    Sleep(30);
    backend->PostEvent({TBackendEventKind::Close, 1, 0, 0});
  });
  app.Run();
  closer.join();
  const auto* w = backend->FindWindow(TTestForm::Instance->WindowHandle());
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->Params.ToolWindow);
  EXPECT_TRUE(w->Params.Centered);
  EXPECT_EQ(w->Params.ClientWidth, 256);
}

TEST_F(Forms, DefaultExceptionDisplayIsAMessageBox) {
  app.HandleException(nullptr, std::runtime_error("plain"));
  EXPECT_EQ(backend->Messages, std::vector<std::string>{"OrvelAX9: plain"});
}
