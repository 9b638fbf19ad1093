#pragma once
// What the end-to-end tests read in the simulator's log (its standard error), on Linux and
// under Wine alike.
#include <functional>
#include <string>

// The log as it stands, read afresh on each call.
using TLogReader = std::function<std::string()>;

// The line the simulator logs for the program's start command.
inline const char LoggedStartCommand[] = "command: 82 E6 04 35 06 00 00 74 83";

// The last readings the simulator logged sending (it logs them with --verbose).
struct TLoggedReadings {
  bool Found = false;  // both an attitude and a heading line were there
  int Roll = 0, Pitch = 0, AttitudeMode = 0;
  int Heading = 0, HeadingMode = 0;
};
TLoggedReadings LastLoggedReadings(const std::string& log);

// Waits until both sensors have stopped (--stop-attitude and --stop-heading) and their
// LEDs have had time to go; then the last readings logged. Found is false when the sensors
// did not stop within 5 s or their readings were not logged.
TLoggedReadings FinalReadings(const TLogReader& log);
