#include "Win32Probe.h"

#include "platform/ui/backend/win32/Win32Api.h"
#include "platform/rtl/win32/Utf16.h"

TWindowRef FindFormWindow(const std::string& Caption) {
  return FindWindowW(L"OrvelAX9Form", Utf8ToUtf16(Caption).c_str());
}

TWindowRef FindMessageBoxWindow(const std::string& Title) {
  return FindWindowW(L"#32770", Utf8ToUtf16(Title).c_str());
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
