#include "platform/ui/Thread.h"

#include "platform/ui/Synchronize.h"

TThread::TThread(bool CreateSuspended) {
  if (!CreateSuspended) Start();
}

TThread::~TThread() {
  if (FStarted && FThread.joinable()) {
    Terminate();
    WaitFor();
  }
}

void TThread::Start() {
  if (FStarted) return;
  FStarted = true;
  FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
  FTid = CurrentThreadId();
  if (FPriority != tpNormal) ApplyThreadPriority(FTid, FPriority);
  try {
    Execute();
  } catch (...) {
    FFatalException = std::current_exception();
  }
  FFinished.Set();
}

void TThread::Terminate() { FTerminated = true; }

int TThread::WaitFor() {
  if (!FStarted) return FReturnValue;
  if (IsMainThread()) {
    WaitServingHandOvers(FFinished);
  } else {
    WaitForEvent(FFinished, INFINITE);
  }
  if (FThread.joinable()) FThread.join();
  return FReturnValue;
}

void TThread::SetPriority(TThreadPriority value) {
  FPriority = value;
  if (FTid != 0 && !FFinished.IsSet()) ApplyThreadPriority(FTid, value);
}

void TThread::Synchronize(const std::function<void()>& routine) { SynchronizeCall(routine); }
