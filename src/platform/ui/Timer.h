#pragma once
#include <cstdint>

#include "platform/ui/Component.h"

// A periodic timer whose ticks arrive through the user-interface message loop.
// It ticks while Enabled (default on), Interval (default 1000 ms) is above 0 and OnTimer is
// set. Setting a property to the value it has does nothing; a real change restarts the period.
// Ticks are not caught up: a loop that was busy gets one tick, then the period starts again.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t value);
  void SetOnTimer(TNotifyEvent handler);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }

  bool Running() const { return FEnabled && FInterval > 0 && FOnTimer; }
  uint64_t DueAt() const { return FDueAt; }

 private:
  friend class TTimerList;
  void UpdateTimer();

  bool FEnabled = true;
  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  uint64_t FDueAt = 0;
};

// The message loop's side of the timers (user-interface thread only).
class TTimerList {
 public:
  // Milliseconds until the next tick is due (0 when one is due now); INFINITE when none runs.
  static uint32_t TimeToNextTick();
  // Ticks every timer that is due; true when any ticked.
  static bool FireDueTimers();
};
