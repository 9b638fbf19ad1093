#include "platform/kernel/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int NiceValueOf(TThreadPriority priority) {
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

void ApplyThreadPriority(pid_t tid, TThreadPriority priority) {
  // On Linux a nice value is per thread when addressed by its tid. EPERM/EACCES (no
  // privilege to raise) are deliberately ignored.
  setpriority(PRIO_PROCESS, id_t(tid), NiceValueOf(priority));
}

pid_t CurrentThreadTid() { return pid_t(syscall(SYS_gettid)); }
