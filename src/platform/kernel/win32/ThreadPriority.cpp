#include <windows.h>

#include "platform/kernel/ThreadPriority.h"

int SystemPriorityOf(TThreadPriority priority) {
  switch (priority) {
    case tpIdle: return THREAD_PRIORITY_IDLE;
    case tpLowest: return THREAD_PRIORITY_LOWEST;
    case tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
    case tpNormal: return THREAD_PRIORITY_NORMAL;
    case tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
    case tpHighest: return THREAD_PRIORITY_HIGHEST;
    case tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}

void ApplyThreadPriority(TThreadId thread, TThreadPriority priority) {
  // A failure (no access, the thread already gone) leaves the priority as it was.
  HANDLE h = OpenThread(THREAD_SET_INFORMATION, FALSE, DWORD(thread));
  if (!h) return;
  SetThreadPriority(h, SystemPriorityOf(priority));
  CloseHandle(h);
}

TThreadId CurrentThreadId() { return GetCurrentThreadId(); }
