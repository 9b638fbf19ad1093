#include <windows.h>

#include "platform/kernel/DateTime.h"

TDateTime Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return EncodeDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}
