#include "platform/kernel/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int SystemPriorityOf(TThreadPriority priority) {
  switch (priority) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -20;
  }
  return 0;
}

void ApplyThreadPriority(TThreadId thread, TThreadPriority priority) {
  // On Linux a nice value is per thread when addressed by its tid. EPERM/EACCES (no
  // privilege to raise) are deliberately ignored.
  setpriority(PRIO_PROCESS, id_t(thread), SystemPriorityOf(priority));
}

TThreadId CurrentThreadId() { return TThreadId(syscall(SYS_gettid)); }
