#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "XServer.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/GraphicControl.h"
#include "platform/ui/Icon.h"
#include "platform/ui/backend/sdl2/Sdl2Backend.h"
#include "support/CpuTime.h"
#include "support/Spot.h"

namespace {

using namespace std::chrono_literals;

std::string Hex(uint32_t pixel) {
  std::ostringstream s;
  s << std::hex << pixel;
  return s.str();
}

struct Sdl2Window : ::testing::Test {
  static inline std::unique_ptr<TXServer> server;
  std::optional<TApplication> app;
  TForm* form = nullptr;
  unsigned long xid = 0;

  static void SetUpTestSuite() { server = std::make_unique<TXServer>(); }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (!server->Available()) GTEST_SKIP() << server->Why();
    unsetenv("GDK_SCALE");  // the design's own size unless a test asks for more
    Shell("xdotool mousemove 1000 700");  // away from where the window opens
  }

  void TearDown() override {
    app.reset();
    unsetenv("GDK_SCALE");
  }

  // The design's window: a 256 x 276 tool window in the middle of the screen.
  void ShowForm(const std::string& caption) {
    app.emplace(CreateSdl2Backend());
    form = new TForm(&*app);
    form->SetCaption(caption);
    form->SetBorderStyle(bsToolWindow);
    form->SetPosition(poScreenCenter);
    form->SetClientWidth(256);
    form->SetClientHeight(276);
    form->SetColor(clBlack);
    form->SetIcon({LoadIconResource("MAINICON"), LoadIconResource("MAINICON16")});
    form->Show();
    app->ProcessMessages();
    xid = FindWindowByTitle(caption);
    ASSERT_NE(xid, 0u) << "the window is on the screen";
  }

  TSpot* Spot(TRect bounds, TColor color) { return TSpot::On(form, bounds, color); }

  // Runs passes of the loop until Done holds; false when 5 s went by first.
  bool PumpUntil(const std::function<bool()>& Done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!Done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      app->ProcessMessages();
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }

  std::string Property(const std::string& name) { return Shell("xprop -id " + std::to_string(xid) + " " + name); }
};

int Field(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

TEST_F(Sdl2Window, TheToolWindowOpensCentredAtItsClientSizeWithItsIconAndAFixedSize) {
  ShowForm("Orvel window test");
  const std::string root = Shell("xwininfo -root"), info = Shell("xwininfo -id " + std::to_string(xid));
  EXPECT_EQ(Field(info, "Width: "), 256);
  EXPECT_EQ(Field(info, "Height: "), 276);
  EXPECT_EQ(Field(info, "Absolute upper-left X: "), (Field(root, "Width: ") - 256) / 2);
  EXPECT_EQ(Field(info, "Absolute upper-left Y: "), (Field(root, "Height: ") - 276) / 2);
  EXPECT_EQ(app->Backend().ClientBounds(form->WindowHandle()).Width(), 256);

  // Equal minimum and maximum sizes are what window managers take as "not resizable".
  const std::string hints = Property("WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("minimum size: 256 by 276"), std::string::npos) << hints;
  EXPECT_NE(hints.find("maximum size: 256 by 276"), std::string::npos) << hints;
  EXPECT_NE(Property("_NET_WM_WINDOW_TYPE").find("_NET_WM_WINDOW_TYPE_UTILITY"), std::string::npos);
  // Both sizes, the large one first.
  const std::string icon = Property("_NET_WM_ICON");
  const size_t large = icon.find("Icon (32 x 32)"), small = icon.find("Icon (16 x 16)");
  EXPECT_NE(large, std::string::npos);
  EXPECT_NE(small, std::string::npos);
  EXPECT_LT(large, small);
}

TEST_F(Sdl2Window, WhatIsPaintedReachesTheScreenInThePassThatPaintedIt) {
  ShowForm("Orvel pixels test");
  TSpot* s = Spot(Bounds(20, 10, 6, 4), clRed);
  app->ProcessMessages();
  TScreenShot shot = CaptureWindow(xid);
  ASSERT_EQ(shot.Width, 256);
  EXPECT_EQ(Hex(shot.At(20, 10)), "ff0000");
  EXPECT_EQ(Hex(shot.At(25, 13)), "ff0000");
  EXPECT_EQ(Hex(shot.At(26, 10)), "0");
  EXPECT_EQ(Hex(shot.At(255, 275)), "0");

  s->SetColor(clLime);
  app->ProcessMessages();
  shot = CaptureWindow(xid);
  ASSERT_EQ(shot.Width, 256);
  EXPECT_EQ(Hex(shot.At(22, 12)), "ff00") << "one pass paints and presents";
}

TEST_F(Sdl2Window, PresentsInQuickSuccessionEndWithTheLastPictureEverywhere) {
  // The server may still be reading what the previous pass sent when the next one presents.
  ShowForm("Orvel succession test");
  TSpot* a = Spot(Bounds(20, 10, 6, 4), clRed);
  TSpot* b = Spot(Bounds(200, 250, 30, 20), clRed);
  for (int i = 0; i < 40; ++i) {
    (i % 2 ? a : b)->SetColor(i % 3 ? clLime : clBlue);
    app->ProcessMessages();
  }
  a->SetColor(clYellow);
  b->SetColor(clAqua);
  app->ProcessMessages();
  const TScreenShot shot = CaptureWindow(xid);
  ASSERT_EQ(shot.Width, 256);
  EXPECT_EQ(Hex(shot.At(20, 10)), "ffff00");
  EXPECT_EQ(Hex(shot.At(25, 13)), "ffff00");
  EXPECT_EQ(Hex(shot.At(200, 250)), "ffff");
  EXPECT_EQ(Hex(shot.At(229, 269)), "ffff");
  EXPECT_EQ(Hex(shot.At(199, 250)), "0");
  EXPECT_EQ(Hex(shot.At(26, 10)), "0");
}

TEST_F(Sdl2Window, WhatAnotherWindowCoveredIsShownAgain) {
  ShowForm("Orvel expose test");
  Spot(Bounds(20, 10, 6, 4), clRed);
  app->ProcessMessages();
  CoverAndUncover(xid);
  // The server says what was lost; one pass later all of it shows the back buffer again.
  TScreenShot shot;
  EXPECT_TRUE(PumpUntil([&] {
    shot = CaptureWindow(xid);
    return shot.Width == 256 && shot.At(21, 11) == 0xFF0000 && shot.At(200, 200) == 0;
  })) << "at 21,11: " << Hex(shot.Width ? shot.At(21, 11) : 1) << ", at 200,200: " << Hex(shot.Width ? shot.At(200, 200) : 1);
}

TEST_F(Sdl2Window, ThePointerEntersAndLeavesWindowlessControls) {
  ShowForm("Orvel pointer test");
  TSpot* corner = Spot(Bounds(0, 0, 10, 10), clBlue);
  TSpot* target = Spot(Bounds(100, 100, 20, 20), clRed);
  app->ProcessMessages();
  Shell("xdotool mousemove --window " + std::to_string(xid) + " 110 110");
  EXPECT_TRUE(PumpUntil([&] { return target->Enters == 1; }));
  Shell("xdotool mousemove 5 5");  // out over the window's top-left corner
  EXPECT_TRUE(PumpUntil([&] { return target->Leaves == 1; }));
  EXPECT_EQ(form->MouseControl(), nullptr);
  EXPECT_EQ(corner->Enters, 0) << "the control at the edge the pointer crossed was never under it";
}

TEST_F(Sdl2Window, TheMessageBoxIsAModalWindowTitledOrvelAX9AnsweredByReturnOrOK) {
  ShowForm("Orvel owner test");
  TSpot* spot = Spot(Bounds(0, 250, 20, 20), clRed);
  app->ProcessMessages();
  std::atomic<bool> returned{false};
  unsigned long box = 0;
  std::string transientFor, boxInfo;
  std::thread answer([&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!(box = FindWindowByTitle("OrvelAX9")) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(50ms);
    if (!box) {
      std::fprintf(stderr, "the message box never appeared\n");
      std::_Exit(1);  // the box cannot be answered: fail rather than hang
    }
    transientFor = Shell("xprop -id " + std::to_string(box) + " WM_TRANSIENT_FOR");
    boxInfo = Shell("xwininfo -id " + std::to_string(box));
    // Pointer moves over the owner while the box is up are delivered after it.
    Shell("xdotool mousemove --window " + std::to_string(xid) + " 10 260");
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(returned) << "the box waits for its answer";
    Shell("xdotool key --window " + std::to_string(box) + " Return");
    for (int i = 0; i < 200 && !returned; ++i) std::this_thread::sleep_for(50ms);
    if (!returned) {
      std::fprintf(stderr, "the message box did not close on Return\n");
      std::_Exit(1);  // fail rather than hang
    }
  });
  app->MessageBox("Specified device not found (COM9).");
  returned = true;
  answer.join();
  std::ostringstream owner;
  owner << "0x" << std::hex << xid;
  EXPECT_NE(transientFor.find(owner.str()), std::string::npos) << "owned by the shown window: " << transientFor;
  EXPECT_GT(Field(boxInfo, "Width: "), 150);
  EXPECT_TRUE(PumpUntil([&] { return spot->Enters == 1; }));
  EXPECT_EQ(FindWindowByTitle("OrvelAX9"), 0u) << "the box is gone";
  // Where the box lay over the window, the window is shown again.
  EXPECT_TRUE(PumpUntil([&] {
    const TScreenShot after = CaptureWindow(xid);
    return after.Width == 256 && after.At(128, 138) == 0;
  }));

  // Clicked as soon as it is up: a press that comes just after the box took the focus counts.
  std::thread click([&] {
    box = 0;
    std::istringstream(Shell("xdotool search --sync --onlyvisible --name '^OrvelAX9$'")) >> box;
    if (!box) {
      std::fprintf(stderr, "the second message box never appeared\n");
      std::_Exit(1);
    }
    const std::string info = Shell("xwininfo -id " + std::to_string(box));
    const int w = Field(info, "Width: "), h = Field(info, "Height: ");
    // The OK button sits centred at the bottom, 12 pixels above the edge.
    Shell("xdotool mousemove --window " + std::to_string(box) + " " + std::to_string(w / 2) + " " +
          std::to_string(h - 24) + " click 1");
    for (int i = 0; i < 200 && !returned; ++i) std::this_thread::sleep_for(50ms);
    if (!returned) {
      std::fprintf(stderr, "a click on OK at %d,%d did not close the %d x %d box\n", w / 2, h - 24, w, h);
      std::_Exit(1);
    }
  });
  returned = false;
  app->MessageBox("Second");
  returned = true;
  click.join();
}

// A desktop at twice the size: the window, its pixels, its icon and its message box double;
// the controls still see the design's pixels.
TEST_F(Sdl2Window, AtDesktopScale2EveryPixelIsABlockAndThePointerIsInTheDesignsPixels) {
  setenv("GDK_SCALE", "2", 1);
  ShowForm("Orvel scale test");
  const std::string root = Shell("xwininfo -root"), info = Shell("xwininfo -id " + std::to_string(xid));
  EXPECT_EQ(Field(info, "Width: "), 512);
  EXPECT_EQ(Field(info, "Height: "), 552);
  EXPECT_EQ(Field(info, "Absolute upper-left X: "), (Field(root, "Width: ") - 512) / 2);
  EXPECT_EQ(Field(info, "Absolute upper-left Y: "), (Field(root, "Height: ") - 552) / 2);
  const std::string hints = Property("WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("maximum size: 512 by 552"), std::string::npos) << hints;
  EXPECT_EQ(app->Backend().ClientBounds(form->WindowHandle()).Width(), 256);
  EXPECT_NE(Property("_NET_WM_ICON").find("Icon (64 x 64)"), std::string::npos);

  TSpot* target = Spot(Bounds(100, 100, 20, 20), clRed);
  TSpot* decoy = Spot(Bounds(200, 200, 20, 20), clLime);  // where unhalved positions would land
  app->ProcessMessages();
  const TScreenShot shot = CaptureWindow(xid);
  ASSERT_EQ(shot.Width, 512);
  EXPECT_EQ(Hex(shot.At(200, 200)), "ff0000");
  EXPECT_EQ(Hex(shot.At(239, 239)), "ff0000");
  EXPECT_EQ(Hex(shot.At(199, 200)), "0");
  EXPECT_EQ(Hex(shot.At(240, 239)), "0");
  EXPECT_EQ(Hex(shot.At(439, 439)), "ff00");
  EXPECT_EQ(Hex(shot.At(440, 440)), "0");

  Shell("xdotool mousemove --window " + std::to_string(xid) + " 205 205");
  EXPECT_TRUE(PumpUntil([&] { return target->Enters == 1; }));
  EXPECT_EQ(decoy->Enters, 0);
  Shell("xdotool mousemove --window " + std::to_string(xid) + " 430 430");
  EXPECT_TRUE(PumpUntil([&] { return decoy->Enters == 1; }));

  std::atomic<bool> returned{false};
  int boxWidth = 0;
  std::thread click([&] {
    unsigned long box = 0;
    std::istringstream(Shell("xdotool search --sync --onlyvisible --name '^OrvelAX9$'")) >> box;
    if (!box) {
      std::fprintf(stderr, "the message box never appeared\n");
      std::_Exit(1);
    }
    const std::string boxInfo = Shell("xwininfo -id " + std::to_string(box));
    const int w = Field(boxInfo, "Width: "), h = Field(boxInfo, "Height: ");
    boxWidth = w;
    // The OK button's middle, 12 + 11 of the box's pixels above its bottom edge, twice over.
    Shell("xdotool mousemove --window " + std::to_string(box) + " " + std::to_string(w / 2) + " " +
          std::to_string(h - 46) + " click 1");
    for (int i = 0; i < 200 && !returned; ++i) std::this_thread::sleep_for(50ms);
    if (!returned) {
      std::fprintf(stderr, "a click on OK at %d,%d did not close the %d x %d box\n", w / 2, h - 46, w, h);
      std::_Exit(1);
    }
  });
  app->MessageBox("Twice the size");
  returned = true;
  click.join();
  EXPECT_GE(boxWidth, 2 * 160);
}

TEST_F(Sdl2Window, AnIdleWaitBlocksWithoutSpinningUntilAWorkerWakesIt) {
  ShowForm("Orvel wait test");
  // The window's first events (exposure, focus) come in over a little while.
  const auto settled = std::chrono::steady_clock::now() + 500ms;
  PumpUntil([&] { return std::chrono::steady_clock::now() > settled; });
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ProcessCpuSeconds();
  std::thread waker([&] {
    std::this_thread::sleep_for(300ms);
    app->WakeUp();
  });
  app->WaitMessage(INFINITE);
  const auto waited = std::chrono::steady_clock::now() - start;
  const double used = ProcessCpuSeconds() - cpuStart;
  waker.join();
  EXPECT_GE(waited, 250ms);
  EXPECT_LT(waited, 3s) << "the wake ends the wait";
  EXPECT_LT(used, 0.1) << "the wait does not spin";

  // A wake answered by a pass is not seen again. (Other input may end a wait early now and
  // then; a wake still pending would end every one at once.)
  bool blocked = false;
  for (int attempt = 0; attempt < 3 && !blocked; ++attempt) {
    app->ProcessMessages();
    const auto again = std::chrono::steady_clock::now();
    app->WaitMessage(200);
    blocked = std::chrono::steady_clock::now() - again >= 150ms;
  }
  EXPECT_TRUE(blocked);
}

TEST_F(Sdl2Window, ATerminationSignalStillEndsTheProgram) {
  const pid_t child = fork();
  if (child == 0) {
    ShowForm("Orvel signal test");
    app->Run();
    _exit(0);
  }
  ASSERT_GT(child, 0);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!FindWindowByTitle("Orvel signal test") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(50ms);
  kill(child, SIGTERM);
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline + 5s)
    std::this_thread::sleep_for(20ms);
  if (ended == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "the program went on running after SIGTERM";
  }
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

// The reason CreateSdl2Backend gives with the environment changed as Settings say, and
// whatever was written to standard error meanwhile.
std::pair<std::string, std::string> DisplayFailure(const std::vector<std::pair<const char*, const char*>>& Settings) {
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const auto& [name, value] : Settings) {
    const char* old = std::getenv(name);
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  std::fflush(stderr);
  const int err = dup(2);
  FILE* capture = std::tmpfile();
  dup2(fileno(capture), 2);
  std::string message = "(no exception)";
  try {
    CreateSdl2Backend();
  } catch (const Exception& e) {
    message = e.Message();
  }
  std::fflush(stderr);
  dup2(err, 2);
  close(err);
  std::rewind(capture);
  std::string written;
  for (int c; (c = std::fgetc(capture)) != EOF;) written += char(c);
  std::fclose(capture);
  for (const auto& [name, value] : saved)
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  return {message, written};
}

TEST(Sdl2Display, WithoutADisplayTheBackendSaysWhyOnOneLineAndNothingElse) {
  const auto [unset, unsetNoise] =
      DisplayFailure({{"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", nullptr}});
  EXPECT_EQ(unset, "DISPLAY is not set") << "SDL would otherwise draw nowhere and the program run unseen";
  EXPECT_EQ(unsetNoise, "");

  const auto [gone, goneNoise] =
      DisplayFailure({{"DISPLAY", ":99999"}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", nullptr}});
  EXPECT_NE(gone, "(no exception)");
  EXPECT_FALSE(gone.empty());
  EXPECT_EQ(gone.find('\n'), std::string::npos);
  EXPECT_EQ(goneNoise, "") << "the caller writes the one line";
}

}  // namespace
