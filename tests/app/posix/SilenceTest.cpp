// The silence watch of the display, on the real clocks, the real message loop and a sensor
// on a pseudo-terminal.
#include <gtest/gtest.h>

#include "app/posix/SensorSupport.h"

namespace {

// The silence watch, on the real clocks and the real message loop.
class SilenceTest : public TProgramStartTest {
 protected:
  // Runs the loop until the LED is hidden; the milliseconds from the sensor's last data
  // frame, or -1 if it stays shown for 2 s.
  static int64_t MsUntilHidden(TVrBlinkLed* led, const uint64_t& lastTick) {
    if (!PumpUntil([&] { return !led->Visible(); }, 2000)) return -1;
    return int64_t(GetTickCount64() - lastTick);
  }
};

TEST_F(SilenceTest, BothSensorsFallingSilentAreHiddenWithoutAnyFrameEnd) {
  MapCom(1);
  Start("1");
  TfrmAX9& w = *frmAX9;
  FSensor->Send(Concat({AttitudeSample, HeadingSample}));
  ASSERT_TRUE(PumpUntil([] { return DisplayState.HeadingValue == 360; }, 2000));
  ASSERT_TRUE(w.BLedAX9->Visible() && w.BLedKQ3->Visible());
  const int64_t ax9 = MsUntilHidden(w.BLedAX9, DisplayState.LastAttitudeTick);
  const int64_t kq3 = MsUntilHidden(w.BLedKQ3, DisplayState.LastCompassTick);
  EXPECT_GE(ax9, 500);
  EXPECT_LT(ax9, 600);
  EXPECT_GE(kq3, 500);
  EXPECT_LT(kq3, 600);
  EXPECT_FALSE(w.BLedAX9->EnableBlinking() || w.ModeAX9->Visible());
  EXPECT_FALSE(w.BLedKQ3->EnableBlinking() || w.ModeKQ3->Visible());
  EXPECT_EQ(w.CompteurRoulis->Value(), 5) << "the last readings stay";
}

TEST_F(SilenceTest, ASensorThatKeepsSendingStaysShownAndOneThatStopsIsHidden) {
  MapCom(1);
  Start("1");
  TfrmAX9& w = *frmAX9;
  // Heading frames every 100 ms for 1.5 s; the attitude only in the first 300 ms.
  bool kq3Hidden = false;
  for (int i = 0; i < 15; ++i) {
    FSensor->Send(i < 3 ? Concat({AttitudeSample, HeadingSample}) : HeadingSample);
    const uint64_t next = GetTickCount64() + 100;
    PumpUntil([&] { return GetTickCount64() >= next; }, 200);
    if (i > 0) kq3Hidden |= !w.BLedKQ3->Visible();
  }
  EXPECT_FALSE(kq3Hidden) << "the watch hid a sensor that kept sending";
  EXPECT_FALSE(w.BLedAX9->Visible());
  EXPECT_TRUE(w.BLedKQ3->Visible() && w.BLedKQ3->EnableBlinking());
}

}  // namespace
