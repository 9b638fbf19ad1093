#include "platform/kernel/win32/SystemCalls.h"

#include <windows.h>

namespace win32 {

// The performance counter, not GetTickCount64: that one moves in steps of 10 to 16 ms, too
// coarse for timers of a few milliseconds and for waits that must last their time.
uint64_t TickCount64() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER c{};
  QueryPerformanceCounter(&c);
  const uint64_t count = uint64_t(c.QuadPart), f = uint64_t(frequency);
  return count / f * 1000 + count % f * 1000 / f;
}

uint32_t TickCount() { return uint32_t(TickCount64()); }
void SleepFor(uint32_t milliseconds) { ::Sleep(milliseconds); }
uint32_t LastError() { return ::GetLastError(); }
void SetLastErrorCode(uint32_t code) { ::SetLastError(code); }

std::string FormatErrorText(uint32_t code) {
  wchar_t text[257] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           256, nullptr);
  while (n > 0 && (text[n - 1] <= L' ' || text[n - 1] == L'.')) --n;
  if (n == 0) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, int(n), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, int(n), out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace win32
