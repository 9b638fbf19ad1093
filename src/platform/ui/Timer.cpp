#include "platform/ui/Timer.h"

#include <algorithm>
#include <vector>

#include "platform/kernel/EventObject.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"

namespace {
std::vector<TTimer*>& RunningTimers() {
  static std::vector<TTimer*> list;
  return list;
}
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  auto& list = RunningTimers();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  auto& list = RunningTimers();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (!Running()) return;
  FDueAt = GetTickCount64() + FInterval;
  list.push_back(this);
  if (Application) Application->WakeUp();
}

uint32_t TTimerList::TimeToNextTick() {
  const auto& list = RunningTimers();
  if (list.empty()) return INFINITE;
  uint64_t next = UINT64_MAX;
  for (TTimer* t : list) next = std::min(next, t->FDueAt);
  const uint64_t now = GetTickCount64();
  return next <= now ? 0 : uint32_t(std::min<uint64_t>(next - now, INFINITE - 1));
}

bool TTimerList::FireDueTimers() {
  const uint64_t now = GetTickCount64();
  std::vector<TTimer*> due;
  for (TTimer* t : RunningTimers())
    if (t->FDueAt <= now) due.push_back(t);
  for (TTimer* t : due) {
    // A tick handler may stop, restart or free other timers: only tick those still running
    // and still due (a restarted one waits for its new period).
    auto& list = RunningTimers();
    if (std::find(list.begin(), list.end(), t) == list.end() || t->FDueAt > now) continue;
    t->FDueAt = GetTickCount64() + t->FInterval;
    // The handler may replace itself or free its timer: call a copy.
    const TNotifyEvent handler = t->FOnTimer;
    try {
      handler(t);
    } catch (const std::exception& e) {
      if (Application) Application->HandleException(t, e);
    }
  }
  return !due.empty();
}
