#include "platform/kernel/SysError.h"

#include <cerrno>
#include <cstring>

int GetLastError() { return errno; }
void SetLastError(int code) { errno = code; }

std::string SysErrorMessage(int code) {
  char buf[256];
  // GNU strerror_r returns a pointer that may or may not be buf.
  const char* text = strerror_r(code, buf, sizeof buf);
  return text ? std::string(text) : std::string();
}
