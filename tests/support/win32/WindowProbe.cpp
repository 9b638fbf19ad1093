#include "support/win32/WindowProbe.h"

#include "platform/ui/backend/win32/Win32Api.h"
#include "platform/rtl/win32/Utf16.h"
#include "support/win32/TopDownDib.h"

TWindowRef FindFormWindow(const std::string& Caption) {
  return FindWindowW(L"OrvelAX9Form", Utf8ToUtf16(Caption).c_str());
}

TWindowRef FindMessageBoxWindow(const std::string& Title) {
  return FindWindowW(L"#32770", Utf8ToUtf16(Title).c_str());
}

TWindowRef FindProcessWindow(uint32_t processId, const char* windowClass, const std::string& title) {
  const std::wstring cls = Utf8ToUtf16(windowClass);
  for (HWND w = FindWindowExW(nullptr, nullptr, cls.c_str(), nullptr); w;
       w = FindWindowExW(nullptr, w, cls.c_str(), nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == processId && IsWindowVisible(w) && WindowText(w).rfind(title, 0) == 0) return w;
  }
  return nullptr;
}

TWindowPlace PlaceOf(TWindowRef window) {
  const HWND w = HWND(window);
  TWindowPlace p;
  RECT client{}, frame{};
  GetClientRect(w, &client);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  GetWindowRect(w, &frame);
  p.ClientX = origin.x;
  p.ClientY = origin.y;
  p.ClientWidth = client.right;
  p.ClientHeight = client.bottom;
  p.WindowX = frame.left;
  p.WindowY = frame.top;
  p.WindowWidth = frame.right - frame.left;
  p.WindowHeight = frame.bottom - frame.top;
  p.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
  p.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE), ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
  p.SizingFrame = style & WS_THICKFRAME;
  p.MaximizeBox = style & WS_MAXIMIZEBOX;
  p.MinimizeBox = style & WS_MINIMIZEBOX;
  p.ToolWindow = ex & WS_EX_TOOLWINDOW;
  // What the frame's corners and edges answer: a sizing handle lets the user drag the size.
  const POINT probes[] = {{frame.left, frame.top},           {frame.right - 1, frame.bottom - 1},
                          {frame.left, (frame.top + frame.bottom) / 2}, {(frame.left + frame.right) / 2, frame.bottom - 1}};
  for (const POINT& pt : probes) {
    DWORD_PTR hit = 0;
    SendMessageTimeoutW(w, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y), SMTO_BLOCK, 2000, &hit);
    p.BorderResizes |= hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
  }
  return p;
}

std::string WindowText(TWindowRef window) {
  wchar_t buf[512] = L"";
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(HWND(window), WM_GETTEXT, 512, LPARAM(buf), SMTO_BLOCK, 2000, &n)) return {};
  return Utf16ToUtf8(std::wstring_view(buf, size_t(n)));
}

std::string DialogTexts(TWindowRef box) {
  std::string texts;
  for (HWND c = FindWindowExW(HWND(box), nullptr, L"Static", nullptr); c; c = FindWindowExW(HWND(box), c, L"Static", nullptr))
    texts += WindowText(c) + "\n";
  return texts;
}

void PostCloseCommand(TWindowRef Window) { PostMessageW(HWND(Window), WM_SYSCOMMAND, SC_CLOSE, 0); }

void PostMouseMove(TWindowRef Window, int X, int Y) { PostMessageW(HWND(Window), WM_MOUSEMOVE, 0, MAKELPARAM(X, Y)); }

void AnswerMessageBox(TWindowRef Box) { PostMessageW(HWND(Box), WM_COMMAND, IDOK, 0); }

bool SendEndSession(TWindowRef Window) {
  DWORD_PTR agreed = 0, done = 0;
  return SendMessageTimeoutW(HWND(Window), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &agreed) &&
         agreed && SendMessageTimeoutW(HWND(Window), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &done);
}

void MovePointerTo(int X, int Y) { SetCursorPos(X, Y); }

uint32_t ShownPixel(TWindowRef Window, int X, int Y) {
  HDC dc = GetDC(HWND(Window));
  const COLORREF c = GetPixel(dc, X, Y);
  ReleaseDC(HWND(Window), dc);
  return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
}

std::vector<uint32_t> ShownPixels(TWindowRef window, int x, int y, int width, int height) {
  POINT origin{x, y};
  if (!ClientToScreen(HWND(window), &origin) || width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  std::vector<uint32_t> out;
  {
    const TTopDownDib dib(mem, width, height);
    if (dib.Valid() && BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) out = dib.Rgb();
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return out;
}
