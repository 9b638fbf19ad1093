// The native window backend on a real Windows (or Wine) desktop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/ui/backend/win32/Win32Backend.h"
// After our headers: see Win32Api.h.
#include "platform/ui/backend/win32/Win32Api.h"
#include "support/Deadline.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint32_t Red = 0xFF0000, Blue = 0x0000FF;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A back buffer of one colour.
struct TBuffer {
  int Width, Height;
  std::vector<uint32_t> Pixels;
  TBuffer(int W, int H, uint32_t Colour) : Width(W), Height(H), Pixels(size_t(W) * size_t(H), Colour) {}
  void Fill(uint32_t Colour) { std::fill(Pixels.begin(), Pixels.end(), Colour); }
  TPixelView View() const { return {Pixels.data(), Width, Height, Width}; }
};

struct Win32Window : ::testing::Test {
  std::unique_ptr<TBackend> backend = CreateWin32Backend();
  int id = 0;
  HWND hwnd = nullptr;

  void Open(const std::string& caption, bool show = true) {
    TWindowParams p;
    p.Caption = caption;
    p.ClientWidth = 256;
    p.ClientHeight = 276;
    id = backend->CreateWindow(p);
    if (show) backend->ShowWindow(id);
    hwnd = FindWindowW(L"OrvelAX9Form", nullptr);
    ASSERT_NE(hwnd, nullptr);
    Pump();
  }

  // Takes what is waiting; true when an event of Kind came (it is left in Found).
  bool PollFor(TBackendEventKind Kind, TBackendEvent& Found, std::chrono::milliseconds Limit = 3000ms) {
    const auto deadline = Clock::now() + Limit;
    while (Clock::now() < deadline) {
      while (backend->PollEvent(Found))
        if (Found.Kind == Kind) return true;
      backend->WaitEvent(20);
    }
    return false;
  }

  void Pump() {
    TBackendEvent e;
    while (backend->PollEvent(e)) {
    }
  }

  // What the window shows at a client point, read back from the screen.
  uint32_t Shown(int X, int Y) {
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, X, Y);
    ReleaseDC(hwnd, dc);
    return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
  }
};

TEST_F(Win32Window, AToolWindowHasItsClientSizeACloseButtonOnlyAndOpensCentred) {
  Open("Orvel KQ3 AX9   Cap \xC3\xA0 360\xC2\xB0");  // UTF-8: "à", "°"
  wchar_t text[64] = {};
  GetWindowTextW(hwnd, text, 64);
  EXPECT_EQ(std::wstring(text), L"Orvel KQ3 AX9   Cap \u00E0 360\u00B0");

  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right - client.left, 256);
  EXPECT_EQ(client.bottom - client.top, 276);
  const TRect bounds = backend->ClientBounds(id);
  EXPECT_EQ(bounds.Width(), 256);
  EXPECT_EQ(bounds.Height(), 276);

  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE), exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "the close button";
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) << "neither resized nor maximised";
  EXPECT_TRUE(IsWindowVisible(hwnd));

  RECT outer;
  GetWindowRect(hwnd, &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  backend->SetCaption(id, "Autre \xE2\x80\x94 titre");
  GetWindowTextW(hwnd, text, 64);
  EXPECT_EQ(std::wstring(text), L"Autre \u2014 titre");
}

// The size of an icon's image.
SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP b{};
  GetObjectW(info.hbmMask, sizeof b, &b);
  const bool hasColour = info.hbmColor != nullptr;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return {b.bmWidth, hasColour ? b.bmHeight : b.bmHeight / 2};
}

TEST_F(Win32Window, TheClassCarriesTheProgramIconAndSetIconGivesBothSizes) {
  Open("Orvel icon test");
  // The test program links the program's resource script.
  const SIZE big = IconSize(HICON(GetClassLongPtrW(hwnd, GCLP_HICON)));
  const SIZE small = IconSize(HICON(GetClassLongPtrW(hwnd, GCLP_HICONSM)));
  EXPECT_EQ(big.cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(small.cx, GetSystemMetrics(SM_CXSMICON));

  TIconImage i32{32, 32, std::vector<uint32_t>(32 * 32, 0x00FFFF), {}};
  TIconImage i16{16, 16, std::vector<uint32_t>(16 * 16, 0x0000FF), {}};
  backend->SetIcon(id, {i32, i16});
  EXPECT_EQ(IconSize(HICON(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0))).cx, 32);
  EXPECT_EQ(IconSize(HICON(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0))).cx, 16);
}

TEST_F(Win32Window, PresentShowsOnlyTheDirtyRectanglesAndTheWindowRepaintsFromWhatItShowed) {
  Open("Orvel present test");
  TBuffer buffer(256, 276, Red);
  backend->Present(id, buffer.View(), {Rect(0, 0, 256, 276)});
  EXPECT_EQ(Shown(0, 0), Red);
  EXPECT_EQ(Shown(255, 275), Red);

  // The whole buffer changes, but only two small areas are said to be dirty.
  buffer.Fill(Blue);
  backend->Present(id, buffer.View(), {Rect(10, 20, 30, 25), Rect(200, 250, 201, 251)});
  EXPECT_EQ(Shown(10, 20), Blue);
  EXPECT_EQ(Shown(29, 24), Blue);
  EXPECT_EQ(Shown(200, 250), Blue);
  EXPECT_EQ(Shown(30, 24), Red) << "right of the first area";
  EXPECT_EQ(Shown(10, 25), Red) << "below the first area";
  EXPECT_EQ(Shown(201, 250), Red);
  EXPECT_EQ(Shown(128, 138), Red);

  // Uncovered, the window shows what it showed, not the buffer as it is now.
  buffer.Fill(0x00FF00);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(Shown(128, 138), Red);
  EXPECT_EQ(Shown(15, 22), Blue);

  // Areas beyond the window or the buffer are cut off, not copied.
  backend->Present(id, buffer.View(), {Rect(250, 270, 400, 400), Rect(-5, -5, 1, 1)});
  EXPECT_EQ(Shown(255, 275), 0x00FF00u);
  EXPECT_EQ(Shown(0, 0), 0x00FF00u);
  EXPECT_EQ(Shown(249, 275), Red);
}

TEST_F(Win32Window, TheCloseCommandIsACloseEventAndTheWindowStays) {
  Open("Orvel close test");
  PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // what the close button sends
  TBackendEvent e;
  ASSERT_TRUE(PollFor(TBackendEventKind::Close, e));
  EXPECT_EQ(e.Window, id);
  EXPECT_TRUE(IsWindow(hwnd)) << "the form decides";
  backend->DestroyWindow(id);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32Window, AMoveIsReportedAndThePointerLeavingIsTracked) {
  Open("Orvel mouse test");
  SetCursorPos(0, 0);  // the pointer is away from the window
  PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(40, 50));
  TBackendEvent e;
  ASSERT_TRUE(PollFor(TBackendEventKind::MouseMove, e));
  EXPECT_EQ(e.Window, id);
  EXPECT_EQ(e.X, 40);
  EXPECT_EQ(e.Y, 50);
  // The tracking that the move started finds the pointer outside.
  ASSERT_TRUE(PollFor(TBackendEventKind::MouseLeave, e));
  EXPECT_EQ(e.Window, id);
}

// Takes every message waiting, so that a wait ends only for what comes after.
void Drain(TBackend& backend) {
  TBackendEvent e;
  while (backend.PollEvent(e)) {
  }
}

TEST(Win32Loop, AWakeFromAnotherThreadEndsTheWaitAtOnce) {
  TDeadline deadline(10000, "AWakeFromAnotherThreadEndsTheWaitAtOnce");
  auto backend = CreateWin32Backend();
  Drain(*backend);
  const auto start = Clock::now();
  std::thread waker([&] {
    std::this_thread::sleep_for(100ms);
    backend->Wake();
  });
  backend->WaitEvent(5000);
  const long long took = MsSince(start);
  waker.join();
  EXPECT_GE(took, 90);
  EXPECT_LT(took, 1500);
}

TEST(Win32Loop, AWakeBeforeTheWaitIsNotLostEvenWhenAPassTookItsMessage) {
  auto backend = CreateWin32Backend();
  std::thread([&] { backend->Wake(); }).join();
  Drain(*backend);
  auto start = Clock::now();
  backend->WaitEvent(5000);
  EXPECT_LT(MsSince(start), 1000);
  // Used up: the next wait lasts its time.
  start = Clock::now();
  backend->WaitEvent(200);
  EXPECT_GE(MsSince(start), 150);
}

// Answers the message box titled Title once Ready holds; gives up after 10 s.
class TBoxAnswerer {
 public:
  explicit TBoxAnswerer(std::function<bool()> Ready) : FReady(std::move(Ready)), FThread([this] { Run(); }) {}
  ~TBoxAnswerer() {
    FStop = true;
    FThread.join();
  }
  HWND Box() const { return FBox.load(); }
  bool TimedOut() const { return FTimedOut; }

 private:
  void Run() {
    const auto deadline = Clock::now() + 10s;
    while (!FStop) {
      HWND box = FindWindowW(L"#32770", L"Orvel box");
      if (box) FBox = box;
      if (box && (FReady() || Clock::now() > deadline)) {
        FTimedOut = Clock::now() > deadline;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  std::function<bool()> FReady;
  std::atomic<HWND> FBox{nullptr};
  std::atomic<bool> FStop{false}, FTimedOut{false};
  std::thread FThread;
};

TEST_F(Win32Window, TheModalPassRunsWhileTheBoxIsUpOnTimeAndOnWake) {
  TDeadline deadline(20000, "TheModalPassRunsWhileTheBoxIsUpOnTimeAndOnWake");
  Open("Orvel modal test");
  std::atomic<int> passes{0};
  std::atomic<bool> woken{false};
  HWND owner = nullptr;
  backend->OnModalPass = [&]() -> uint32_t {
    HWND box = FindWindowW(L"#32770", L"Orvel box");
    if (box) owner = GetWindow(box, GW_OWNER);
    ++passes;
    return passes < 5 ? 30 : 0xFFFFFFFFu;  // then only when woken
  };
  std::thread waker([&] {
    const auto deadline = Clock::now() + 5s;
    while (passes < 5 && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(100ms);
    woken = true;
    backend->Wake();
  });
  TBoxAnswerer answer([&] { return passes >= 6; });
  const auto start = Clock::now();
  backend->MessageBox("Orvel box", "Port \xC3\xA9tendu absent");
  const long long took = MsSince(start);
  waker.join();
  EXPECT_FALSE(answer.TimedOut());
  EXPECT_GE(passes.load(), 6) << "five timed passes and one for the wake";
  EXPECT_LT(took, 3000);
  EXPECT_EQ(owner, hwnd) << "owned by the visible window";

  // Once the box is answered the passes stop: the loop's own passes take over.
  const int after = passes;
  backend->WaitEvent(100);
  Pump();
  EXPECT_EQ(passes.load(), after);
}

TEST(Win32MessageBox, WithoutAVisibleWindowTheBoxHasNoOwnerAndShowsItsText) {
  TDeadline deadline(20000, "WithoutAVisibleWindowTheBoxHasNoOwnerAndShowsItsText");
  auto backend = CreateWin32Backend();
  std::wstring text;
  HWND owner = reinterpret_cast<HWND>(1);
  backend->OnModalPass = [&]() -> uint32_t {
    if (HWND box = FindWindowW(L"#32770", L"Orvel box")) {
      wchar_t t[128] = {};
      GetDlgItemTextW(box, 0xFFFF, t, 128);
      text = t;
      owner = GetWindow(box, GW_OWNER);
    }
    return 20;
  };
  TBoxAnswerer answer([&] { return !text.empty(); });
  backend->MessageBox("Orvel box", "Specified device not found (\\\\.\\COM9). \xE2\x86\x92");
  EXPECT_FALSE(answer.TimedOut());
  EXPECT_EQ(text, L"Specified device not found (\\\\.\\COM9). \u2192");
  EXPECT_EQ(owner, nullptr);
}

}  // namespace
