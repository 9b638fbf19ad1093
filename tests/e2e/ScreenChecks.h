#pragma once
// What the end-to-end tests check on the screen of the running program, against the window
// this test program paints itself from the same design: the same checks on Linux and under
// Wine, where only the reading of the screen differs.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimulatorLog.h"
#include "platform/gfx/Types.h"

class TReferenceWindow;

// A rectangle of the program's client area as the screen shows it, 0x00RRGGBB row by row;
// empty when it cannot be read.
using TScreenReader = std::function<std::vector<uint32_t>(int x, int y, int width, int height)>;

// Whether the screen shows the reference's pixels everywhere outside `skip`; when not, a
// failure, and both pictures side by side in the file `picture`.
bool ScreenMatches(const TScreenReader& screen, TReferenceWindow& ref, const std::vector<TRect>& skip,
                   const std::string& picture);

// Whether the screen shows the photograph unchanged where the LED `led` is placed; `hidden`
// is a reference whose LEDs are hidden.
bool LedHidden(const TScreenReader& screen, TReferenceWindow& hidden, const char* led);

// Once both sensors have stopped, the screen shows the last readings the simulator logged
// and the port's name (as "Com1"), the LEDs gone.
void ExpectFinalReadingsShown(const TScreenReader& screen, const TLogReader& log, const std::string& port,
                              const std::string& picture);

// The attitude sensor falls silent (the simulator run with --verbose --stop-attitude) while
// the compass goes on: its LED showed while its data came and goes within 600 ms of its last
// frame, the compass's stays. The log is followed for up to followMs until the stop.
void ExpectSilentAttitudeLedGoneWithin600ms(const TScreenReader& screen, const TLogReader& log, int followMs);

// The window as designed, no data heard: the counters at 000, no port name, both LEDs
// blinking.
void ExpectDesignState(const TScreenReader& screen, const std::string& picture);
