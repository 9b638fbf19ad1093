#include "platform/kernel/DateTime.h"

namespace {
constexpr double UnixEpochDays = 25569.0;  // 1970-01-01 counted from 1899-12-30

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil), exact for every year.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + (long long)doe - 719468;
}
}  // namespace

TDateTime UnixMsToDateTime(long long unixMs, long utcOffsetSeconds) {
  const long long localMs = unixMs + (long long)utcOffsetSeconds * 1000;
  return UnixEpochDays + double(localMs) / MSecsPerDay;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int ms) {
  const long long days = DaysFromCivil(year, unsigned(month), unsigned(day));
  const long long msOfDay = ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
  return UnixEpochDays + double(days) + double(msOfDay) / MSecsPerDay;
}
