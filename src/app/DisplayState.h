#pragma once
#include "platform/kernel/DateTime.h"

// What the display keeps from frame to frame: the freshness time stamps now, the decoded
// sensor values (roll, pitch, heading, modes) and the freshness results with the decoding.
// All zero at program start; start-up sets the time stamps and the window.
struct TDisplayState {
  TDateTime LastAttitudeTime = 0;  // last attitude frame, start-up time at first
  TDateTime LastCompassTime = 0;   // last heading frame, start-up time at first
  TDateTime FreshWindow = 0;       // how long a sensor's data counts as fresh, in days

  // A fresh state as at program start; for tests only.
  void Reset() { *this = TDisplayState{}; }
};

extern TDisplayState DisplayState;
