#include "WineDesktop.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "platform/rtl/win32/Utf16.h"

TWinProcess::TWinProcess(const std::string& exe, const std::string& workingDir) {
  std::wstring command = L"\"" + Utf8ToUtf16(exe) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, Utf8ToUtf16(workingDir).c_str(), &si,
                      &pi))
    return;
  CloseHandle(pi.hThread);
  FProcess = pi.hProcess;
  FId = pi.dwProcessId;
}

TWinProcess::~TWinProcess() {
  if (!FProcess) return;
  if (Running()) {
    TerminateProcess(FProcess, 99);
    WaitForSingleObject(FProcess, 5000);
  }
  CloseHandle(FProcess);
}

bool TWinProcess::Running() const { return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT; }

bool TWinProcess::WaitExit(int ms) const { return FProcess && WaitForSingleObject(FProcess, DWORD(ms)) == WAIT_OBJECT_0; }

uint32_t TWinProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (FProcess) GetExitCodeProcess(FProcess, &code);
  return code;
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

std::vector<uint32_t> ShownPixels(TWindowRef window, int x, int y, int width, int height) {
  POINT origin{x, y};
  if (!ClientToScreen(HWND(window), &origin) || width <= 0 || height <= 0) return {};
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> out;
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    if (BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY)) {
      const auto* p = static_cast<const uint32_t*>(bits);
      out.assign(p, p + size_t(width) * size_t(height));
      for (uint32_t& px : out) px &= 0xFFFFFF;
    }
    SelectObject(mem, old);
    DeleteObject(dib);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return out;
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

void PressOk(TWindowRef box) { PostMessageW(HWND(box), WM_COMMAND, IDOK, 0); }

void PostCloseCommand(TWindowRef window) { PostMessageW(HWND(window), WM_SYSCOMMAND, SC_CLOSE, 0); }

bool SendEndSession(TWindowRef window) {
  DWORD_PTR agreed = 0, done = 0;
  return SendMessageTimeoutW(HWND(window), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &agreed) &&
         agreed && SendMessageTimeoutW(HWND(window), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &done);
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string p = "Z:" + linuxPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string ReadWholeFile(const std::string& windowsPath) {
  // Shared for writing: the simulator appends to its log while the test reads it.
  HANDLE h = CreateFileW(Utf8ToUtf16(windowsPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buf[8192];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(h);
  return text;
}

bool WriteWholeFile(const std::string& windowsPath, const std::string& text) {
  std::ofstream f(windowsPath, std::ios::binary);
  f << text;
  return bool(f);
}
