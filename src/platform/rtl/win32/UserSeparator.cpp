#include "platform/rtl/UserSeparator.h"

#include <windows.h>

// The user's regional settings.
char ReadUserSeparator() {
  wchar_t sep[4] = {};
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 4);
  // n counts the terminating null: one character means n == 2.
  return n == 2 && sep[0] > 0 && sep[0] < 0x80 ? char(sep[0]) : '.';
}
