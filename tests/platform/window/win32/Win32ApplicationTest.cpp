// The framework's message loop on the native window backend: what a program sees.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "platform/gfx/Canvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/GraphicControl.h"
#include "platform/ui/Synchronize.h"
#include "platform/ui/Timer.h"
#include "platform/ui/backend/win32/Win32Backend.h"
#include "support/Deadline.h"
#include "support/Pump.h"
#include "support/Spot.h"
#include "support/win32/WindowProbe.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Win32App : ::testing::Test {
  std::optional<TApplication> app;
  TForm* form = nullptr;
  TWindowRef hwnd = nullptr;

  void SetUp() override {
    app.emplace(CreateWin32Backend());
    app->CreateForm(form);  // the main form: closing it ends Run
    form->SetCaption("Orvel loop test");
    form->SetBorderStyle(bsToolWindow);
    form->SetPosition(poScreenCenter);
    form->SetClientWidth(256);
    form->SetClientHeight(276);
    form->SetColor(clBlack);
  }
  void TearDown() override { app.reset(); }

  void Show() {
    form->Show();
    app->ProcessMessages();
    hwnd = FindFormWindow("Orvel loop test");
    ASSERT_NE(hwnd, nullptr);
  }

  TSpot* Spot(TRect Bounds, TColor Colour) { return TSpot::On(form, Bounds, Colour); }
};

TEST_F(Win32App, ClosingTheMainWindowEndsRun) {
  TDeadline deadline(10000, "ClosingTheMainWindowEndsRun");
  std::thread closer([] {
    TWindowRef w = nullptr;
    for (int i = 0; i < 300 && !(w = FindFormWindow("Orvel loop test")); ++i) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);
    PostCloseCommand(w);
  });
  app->Run();
  closer.join();
  EXPECT_TRUE(app->Terminated());
}

// The system may end the program as soon as its window has answered the end of the session:
// by then the forms, and what their components hold, are gone.
TEST_F(Win32App, AnEndingSessionFreesTheFormsBeforeTheWindowAnswers) {
  TDeadline deadline(10000, "AnEndingSessionFreesTheFormsBeforeTheWindowAnswers");
  struct TProbe : TComponent {
    std::atomic<bool>& Freed;
    TProbe(TComponent* Owner, std::atomic<bool>& F) : TComponent(Owner), Freed(F) {}
    ~TProbe() override { Freed = true; }
  };
  std::atomic<bool> freed{false}, freedWhenAnswered{false}, answered{false};
  new TProbe(form, freed);
  std::thread session([&] {
    TWindowRef w = nullptr;
    for (int i = 0; i < 300 && !(w = FindFormWindow("Orvel loop test")); ++i) std::this_thread::sleep_for(10ms);
    answered = SendEndSession(w);
    freedWhenAnswered = freed.load();
  });
  app->Run();
  session.join();
  EXPECT_TRUE(answered);
  EXPECT_TRUE(freedWhenAnswered);
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(app->MainForm(), nullptr);
}

TEST_F(Win32App, AHandOverWakesTheIdleLoopAtOnce) {
  TDeadline deadline(10000, "AHandOverWakesTheIdleLoopAtOnce");
  Clock::time_point asked;
  std::thread worker([&] {
    std::this_thread::sleep_for(300ms);  // the loop is blocked by then: nothing is due
    asked = Clock::now();
    SynchronizeCall([&] { form->Close(); });
  });
  app->Run();
  const auto served = Clock::now();
  worker.join();
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(served - asked).count(), 500);
}

TEST_F(Win32App, TimersHandOversAndPaintsGoOnWhileAMessageBoxIsUp) {
  TDeadline deadline(20000, "TimersHandOversAndPaintsGoOnWhileAMessageBoxIsUp");
  TSpot* lamp = Spot(Bounds(20, 30, 17, 20), clBlack);
  Show();
  ASSERT_TRUE(PumpUntil([&] { return ShownPixel(hwnd, 25, 35) == 0x000000; }));

  // The blink: each tick of the timer changes the lamp's colour.
  std::atomic<int> ticks{0};
  TTimer timer(nullptr);
  timer.SetInterval(40);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    lamp->SetColor(ticks >= 3 ? clRed : clBlack);
  });
  std::atomic<bool> handedOver{false};
  std::atomic<uint32_t> shownInBox{0};
  std::atomic<bool> answered{false};
  std::thread box([&] {
    const auto end = Clock::now() + 10s;
    TWindowRef b = nullptr;
    while (Clock::now() < end && !(b = FindMessageBoxWindow("OrvelAX9"))) std::this_thread::sleep_for(10ms);
    SynchronizeCall([&] { handedOver = true; });  // served by the box's loop, or this hangs
    while (Clock::now() < end && ticks < 6) std::this_thread::sleep_for(10ms);
    shownInBox = ShownPixel(hwnd, 25, 35);
    answered = b != nullptr;
    AnswerMessageBox(b);
  });
  app->MessageBox("Timers go on");
  box.join();
  EXPECT_TRUE(answered);
  EXPECT_TRUE(handedOver);
  EXPECT_GE(ticks.load(), 6);
  EXPECT_EQ(shownInBox.load(), 0xFF0000u) << "the lamp's new colour reached the screen under the box";
}

TEST_F(Win32App, ThePointerEnteringAndLeavingReachesWindowlessControls) {
  TDeadline deadline(10000, "ThePointerEnteringAndLeavingReachesWindowlessControls");
  TSpot* spot = Spot(Bounds(100, 100, 40, 40), clBlue);
  Show();
  MovePointerTo(0, 0);  // away from the window
  PostMouseMove(hwnd, 110, 120);
  ASSERT_TRUE(PumpUntil([&] { return spot->Enters == 1; }));
  // The pointer is not really there: the tracked leave follows.
  ASSERT_TRUE(PumpUntil([&] { return spot->Leaves == 1; }));
  EXPECT_EQ(form->MouseControl(), nullptr);
}

}  // namespace
