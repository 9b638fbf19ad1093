#pragma once
#include <cstdint>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread's system id (a kernel tid on Linux, a thread id on Windows); 0 is no thread.
using TThreadId = std::uint64_t;

// The value the system takes for a priority: a nice value on Linux (lower is more urgent),
// the thread priority level on Windows (idle -15, lowest -2, lower -1, normal 0, higher 1,
// highest 2, time-critical 15).
int SystemPriorityOf(TThreadPriority priority);

// Gives the thread the priority. Raising a priority above normal may need privileges;
// without them the thread keeps its current priority and nothing fails.
void ApplyThreadPriority(TThreadId thread, TThreadPriority priority);

// The calling thread's id.
TThreadId CurrentThreadId();
