#pragma once
#include <cstdint>
#include <functional>

#include "platform/kernel/DateTime.h"

// What the display keeps from frame to frame: the decoded sensor values, when each sensor
// was last heard from and the result of each sensor's last freshness test. All zero at
// program start; start-up sets the time stamps and the freshness window.
//
// Each time stamp is kept twice: as the local date-time (for what the user's clock says)
// and on the monotonic tick, which is what freshness is decided on, so that setting the
// wall clock back or forward never makes a silent sensor look fresh or a live one stale.
struct TDisplayState {
  // The sensor values, from the last attitude and heading frames.
  int16_t RollValue = 0;
  int16_t PitchValue = 0;
  uint8_t AttitudeMode = 0;  // bit 0 and bit 1 count
  uint16_t HeadingValue = 0;
  uint8_t CompassMode = 0;   // bit 0 "2D", bit 1 "3D"

  TDateTime LastAttitudeTime = 0;  // last attitude frame, start-up time at first
  TDateTime LastCompassTime = 0;   // last heading frame, start-up time at first
  uint64_t LastAttitudeTick = 0;   // the same moments on the monotonic tick, in ms
  uint64_t LastCompassTick = 0;
  TDateTime FreshWindow = 0;       // how long a sensor's data counts as fresh, in days

  bool AttitudeFresh = false;
  bool CompassFresh = false;

  // The freshness window in whole milliseconds; 0 before start-up has set it.
  uint64_t FreshWindowMs() const;
  // Whether data stamped at tick Since is still fresh at tick Now: strictly less than the
  // window has passed.
  bool FreshAt(uint64_t Since, uint64_t Now) const { return Now < Since + FreshWindowMs(); }

  // A fresh state as at program start; for tests only.
  void Reset() { *this = TDisplayState{}; }
};

extern TDisplayState DisplayState;

// The clocks the display reads: the local date-time and the monotonic millisecond tick.
// Tests replace them to play with time; Reset brings back the system's.
struct TDisplayClocks {
  std::function<TDateTime()> Now;
  std::function<uint64_t()> Tick;

  void Reset();
};

extern TDisplayClocks DisplayClocks;
