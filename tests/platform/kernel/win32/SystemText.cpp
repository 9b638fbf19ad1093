// The system's own text for an error code, to compare ours with (Wine's texts are not
// Windows'). A file of its own: <windows.h> and SysError.h do not go together.
#include <windows.h>

#include <string>

std::string SystemTextOf(unsigned code) {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return std::string(text, n);
}

void SetSystemLastError(unsigned code) { ::SetLastError(code); }
