#include "platform/kernel/Sleep.h"

#include <cerrno>
#include <time.h>

void Sleep(uint32_t milliseconds) {
  timespec left{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}
