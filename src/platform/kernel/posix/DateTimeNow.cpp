#include <time.h>

#include "platform/kernel/DateTime.h"

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  const long long ms = (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
  return UnixMsToDateTime(ms, local.tm_gmtoff);
}
