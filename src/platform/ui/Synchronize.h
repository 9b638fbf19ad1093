#pragma once
#include <functional>

class TEventObject;

// The hand-over of a routine from a worker thread to the user-interface thread.
//
// Rules:
// - A worker calls SynchronizeCall and blocks until the user-interface thread has run the
//   routine; an exception thrown by the routine is re-thrown in the worker.
// - Called on the user-interface thread itself, the routine runs at once.
// - The user-interface thread serves the queue in CheckSynchronize: every pass of the message
//   loop, every ProcessMessages, and every TThread::WaitFor it makes.
// - Workers never touch controls; whatever they need done there goes through this hand-over.
// The user-interface thread is the thread that started the program.

bool IsMainThread();
void SynchronizeCall(const std::function<void()>& routine);

// Runs the queued routines; true when at least one ran. User-interface thread only.
bool CheckSynchronize();

// Whether routines are queued. Costs no system call: a loop asks it before every sleep.
bool SynchronizePending();

// Blocks the user-interface thread until Done is signalled, running the queued routines
// meanwhile, so that a worker blocked in a hand-over can get to its end.
void WaitServingHandOvers(TEventObject& Done);

// Called, from the worker, after each queued request, so that a blocked loop wakes up.
void SetWakeMainThread(std::function<void()> wake);
