#include "ScreenChecks.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ReferenceWindow.h"
#include "SensorFrames.h"
#include "support/CountOf.h"
#include "support/WaitUntil.h"

namespace {

constexpr int Width = 256, Height = 276;

// A window whose LEDs are hidden: the photograph shows where they are placed.
void HideLeds(TReferenceWindow& ref) { ref.Feed(HeadingFrame(0, 0)); }

}  // namespace

bool ScreenMatches(const TScreenReader& screen, TReferenceWindow& ref, const std::vector<TRect>& skip,
                   const std::string& picture) {
  const std::vector<uint32_t> shown = screen(0, 0, Width, Height), expected = ref.Pixels();
  if (shown.size() != expected.size()) return false;
  int wrong = 0;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      bool skipped = false;
      for (const TRect& r : skip) skipped |= x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
      wrong += !skipped && shown[size_t(y * Width + x)] != expected[size_t(y * Width + x)];
    }
  if (wrong == 0) return true;
  ref.SaveComparison(shown, picture);
  ADD_FAILURE() << wrong << " pixels differ from the window this test paints (left) in " << picture;
  return false;
}

bool LedHidden(const TScreenReader& screen, TReferenceWindow& hidden, const char* led) {
  const TRect r = ControlBounds(hidden.Form(), led);
  const std::vector<uint32_t> shown = screen(r.Left, r.Top, r.Width(), r.Height());
  const std::vector<uint32_t> all = hidden.Pixels();
  if (shown.empty()) return false;
  for (int y = 0; y < r.Height(); ++y)
    for (int x = 0; x < r.Width(); ++x)
      if (shown[size_t(y * r.Width() + x)] != all[size_t((r.Top + y) * Width + r.Left + x)]) return false;
  return true;
}

void ExpectFinalReadingsShown(const TScreenReader& screen, const TLogReader& log, const std::string& port,
                              const std::string& picture) {
  const TLoggedReadings last = FinalReadings(log);
  ASSERT_TRUE(last.Found) << "the sensors did not stop, or their readings were not logged";
  TReferenceWindow ref;
  ref.ShowReadings(last, port);
  EXPECT_TRUE(ScreenMatches(screen, ref, {}, picture))
      << "roll " << last.Roll << " pitch " << last.Pitch << " heading " << last.Heading;
}

void ExpectSilentAttitudeLedGoneWithin600ms(const TScreenReader& screen, const TLogReader& log, int followMs) {
  TReferenceWindow hidden;
  HideLeds(hidden);

  // Follow the log closely: when did the simulator send its last attitude frame?
  int attitudeLines = 0;
  uint64_t lastAttitudeMs = 0;
  bool ledSeen = false;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::string text = log();
        const int n = CountOf(text, "attitude: roll");
        if (n != attitudeLines) attitudeLines = n, lastAttitudeMs = NowMs();
        ledSeen |= n > 0 && !LedHidden(screen, hidden, "BLedAX9");
        return CountOf(text, "attitude sensor stopped") == 1;
      },
      followMs));
  ASSERT_TRUE(ledSeen) << "the AX-9 LED never showed while its data came";
  // Timed from the start of the screen read that finds the LED gone: on a loaded machine the
  // read itself (a display connection and an image) can take longer than the LED's margin.
  uint64_t hiddenMs = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const uint64_t reading = NowMs();
        return LedHidden(screen, hidden, "BLedAX9") && (hiddenMs = reading);
      },
      2000))
      << "the AX-9 LED stays";
  EXPECT_LT(hiddenMs - lastAttitudeMs, 600u) << "from the last attitude frame to the LED gone";
  EXPECT_FALSE(LedHidden(screen, hidden, "BLedKQ3")) << "the KQ3 still sends";
}

void ExpectDesignState(const TScreenReader& screen, const std::string& picture) {
  TReferenceWindow ref;
  const TRect ax9 = ControlBounds(ref.Form(), "BLedAX9"), kq3 = ControlBounds(ref.Form(), "BLedKQ3");
  EXPECT_TRUE(ScreenMatches(screen, ref, {ax9, kq3}, picture));
  TReferenceWindow hidden;
  HideLeds(hidden);
  bool lit = false, dark = false;
  WaitUntil(
      [&] {
        const auto px = screen(ax9.Left, ax9.Top, ax9.Width(), ax9.Height());
        (std::count(px.begin(), px.end(), 0xFF0000u) > 0 ? lit : dark) = true;
        return lit && dark;
      },
      2000);
  EXPECT_TRUE(lit && dark) << "the AX-9 LED does not blink";
  EXPECT_FALSE(LedHidden(screen, hidden, "BLedKQ3"));
}
