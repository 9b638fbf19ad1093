#include "platform/kernel/DateTime.h"

#include <time.h>

namespace {
constexpr double UnixEpochDays = 25569.0;  // 1970-01-01 counted from 1899-12-30
}

TDateTime UnixMsToDateTime(long long unixMs, long utcOffsetSeconds) {
  const long long localMs = unixMs + (long long)utcOffsetSeconds * 1000;
  return UnixEpochDays + double(localMs) / MSecsPerDay;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  const long long ms = (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
  return UnixMsToDateTime(ms, local.tm_gmtoff);
}
