#pragma once
#include <sys/types.h>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The nice value a priority maps to on Linux.
int NiceValueOf(TThreadPriority priority);

// Gives the thread with kernel id `tid` the priority. Raising a priority above normal needs
// privileges; without them the thread keeps its current priority and nothing fails.
void ApplyThreadPriority(pid_t tid, TThreadPriority priority);

// Kernel id of the calling thread.
pid_t CurrentThreadTid();
