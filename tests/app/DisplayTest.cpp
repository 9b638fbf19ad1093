// What each frame end does to the kept values and the controls, and when a sensor counts
// as fresh.
#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace {

TBytes Attitude(int16_t roll, int16_t pitch, uint8_t mode) {
  const auto r = uint16_t(roll), p = uint16_t(pitch);
  return {0x82, 0xFF, 0x0C, 0x37, 0x00, uint8_t(r), uint8_t(r >> 8), uint8_t(p), uint8_t(p >> 8),
          0, 0, 0, 0, 0, mode, 0, 0};
}
TBytes Heading(uint16_t heading, uint8_t mode) {
  return {0x82, 0xFF, 0x03, 0x32, uint8_t(heading), uint8_t(heading >> 8), mode};
}
const TBytes OtherFrame = {0x82, 0xFF, 0x01, 0x41, 0x00, 0x00};
const TVrDigitSegments Minus{seg2};

// The window with the frame machine fed directly, on clocks the test moves: the tick
// starts at 10 000 ms and the local date-time at noon of some day. Start-up's part of the
// freshness is played by StartAt.
class DisplayTest : public TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    DisplayClocks.Tick = [this] { return FTick; };
    DisplayClocks.Now = [this] { return FNow; };
  }

  void StartAt(uint64_t tick) {
    FTick = tick;
    DisplayState.LastAttitudeTime = DisplayState.LastCompassTime = FNow;
    DisplayState.LastAttitudeTick = DisplayState.LastCompassTick = tick;
    DisplayState.FreshWindow = 500 / MSecsPerDay;
  }

  // Feeds bytes as received; ms passes on both clocks first.
  void Feed(const TBytes& bytes, uint64_t afterMs = 0) {
    FTick += afterMs;
    FNow += double(afterMs) / MSecsPerDay;
    for (uint8_t b : bytes)
      if (FrameMachine(b)) FForm->ExtractDisplayData();
  }

  void ExpectRoll(bool minus, int counter, double meter) {
    EXPECT_EQ(FForm->SigneRoulis->Segments(), minus ? Minus : TVrDigitSegments{});
    EXPECT_EQ(FForm->CompteurRoulis->Value(), counter);
    EXPECT_EQ(FForm->VrJogMeterRoulisAX9->Value()->Value(), meter);
  }

  // LED shown, blinking, and mode label shown: all follow one test result.
  static bool Shown(TVrBlinkLed* led, TLabel* mode) {
    const bool v = led->Visible();
    EXPECT_EQ(led->EnableBlinking(), v);
    EXPECT_EQ(mode->Visible(), v);
    return v;
  }
  bool AttitudeShown() const { return Shown(FForm->BLedAX9, FForm->ModeAX9); }
  bool CompassShown() const { return Shown(FForm->BLedKQ3, FForm->ModeKQ3); }

  uint64_t FTick = 10000;
  TDateTime FNow = 45000.5;
};

TEST_F(DisplayTest, BeforeAnyAttitudeFrameRollAndPitchShowZeroWithoutSign) {
  StartAt(FTick);
  Feed(Heading(360, 0x01));
  ExpectRoll(false, 0, 0.0);
  EXPECT_EQ(FForm->SigneTangage->Segments(), TVrDigitSegments{});
  EXPECT_EQ(FForm->CompteurTangage->Value(), 0);
  EXPECT_EQ(FForm->ModeAX9->Caption(), "Accel");
  EXPECT_EQ(FForm->ModeKQ3->Caption(), "2D");
  EXPECT_EQ(FForm->CompteurCompas->Value(), 360);
  EXPECT_EQ(FForm->VrJogMeterCompasKQ3->Value()->Value(), 360.0);
}

TEST_F(DisplayTest, ANegativeValueShowsTheSignAndItsMagnitude) {
  StartAt(FTick);
  Feed(AttitudeSample);  // roll -5, pitch 10
  ExpectRoll(true, 5, -5.0);
  EXPECT_EQ(FForm->SigneTangage->Segments(), TVrDigitSegments{});
  EXPECT_EQ(FForm->CompteurTangage->Value(), 10);
  EXPECT_EQ(FForm->VrJogMeterTangageAX9->Value()->Value(), 10.0);

  Feed(Attitude(-32768, -1, 0));
  ExpectRoll(true, 32768, -32768.0);
  EXPECT_EQ(FForm->SigneTangage->Segments(), Minus);
  EXPECT_EQ(FForm->CompteurTangage->Value(), 1);

  Feed(Attitude(32767, 0, 0));
  ExpectRoll(false, 32767, 32767.0);
}

TEST_F(DisplayTest, HeadingBeyondTheCounterDigitsIsPassedOnUnchanged) {
  StartAt(FTick);
  Feed(Heading(65535, 0x02));
  EXPECT_EQ(FForm->CompteurCompas->Value(), 65535);
  EXPECT_EQ(FForm->VrJogMeterCompasKQ3->Value()->Value(), 65535.0);
  EXPECT_EQ(FForm->SigneCompas->Segments(), TVrDigitSegments{}) << "the heading never has a sign";
}

TEST_F(DisplayTest, AttitudeModeTextComesFromBitsZeroAndOne) {
  StartAt(FTick);
  const struct {
    uint8_t Mode;
    const char* Text;
  } cases[] = {{0x00, "Accel"}, {0x01, "Gyro"}, {0x02, "Accel"}, {0x03, "Exceed"}, {0xFD, "Gyro"}, {0xFC, "Accel"}};
  for (const auto& c : cases) {
    Feed(Attitude(0, 0, c.Mode));
    EXPECT_EQ(FForm->ModeAX9->Caption(), c.Text) << int(c.Mode);
  }
}

TEST_F(DisplayTest, CompassModeWithNeitherBitKeepsThePreviousText) {
  StartAt(FTick);
  Feed(Heading(1, 0x00));
  EXPECT_EQ(FForm->ModeKQ3->Caption(), "") << "empty until a frame with either bit";
  const struct {
    uint8_t Mode;
    const char* Text;
  } cases[] = {{0x01, "2D"}, {0x00, "2D"}, {0x02, "3D"}, {0xFC, "3D"}, {0x03, "3D"}, {0xFD, "2D"}};
  for (const auto& c : cases) {
    Feed(Heading(1, c.Mode));
    EXPECT_EQ(FForm->ModeKQ3->Caption(), c.Text) << int(c.Mode);
  }
}

TEST_F(DisplayTest, WithinTheStartUpWindowBothSensorsShowWhicheverSent) {
  StartAt(FTick);
  Feed(Heading(90, 0x01), 499);
  EXPECT_TRUE(AttitudeShown()) << "the start-up stamp still counts for the silent AX-9";
  EXPECT_TRUE(CompassShown());
  Feed(Heading(90, 0x01), 1);
  EXPECT_FALSE(AttitudeShown()) << "500 ms after start-up";
  EXPECT_TRUE(CompassShown());
}

TEST_F(DisplayTest, AFrameEndingExactlyTheWindowAfterASensorsLastDataFindsItStale) {
  StartAt(FTick);
  Feed(AttitudeSample, 1000);
  Feed(Heading(90, 0x01), 499);
  EXPECT_TRUE(AttitudeShown());
  Feed(Heading(90, 0x01), 1);
  EXPECT_FALSE(AttitudeShown());
  EXPECT_FALSE(DisplayState.AttitudeFresh);
  EXPECT_TRUE(CompassShown());
}

TEST_F(DisplayTest, AcknowledgementsAndOtherFramesTestFreshnessAgainWithTheKeptValues) {
  StartAt(FTick);
  Feed(Concat({AttitudeSample, HeadingSample}), 100);
  EXPECT_TRUE(AttitudeShown() && CompassShown());

  Feed(AckBytes, 600);
  EXPECT_TRUE(Link.AckReceived);
  EXPECT_FALSE(AttitudeShown());
  EXPECT_FALSE(CompassShown());
  ExpectRoll(true, 5, -5.0);
  EXPECT_EQ(FForm->CompteurCompas->Value(), 360);
  EXPECT_EQ(FForm->ModeAX9->Caption(), "Gyro");
  EXPECT_EQ(FForm->ModeKQ3->Caption(), "3D");

  Feed(Attitude(3, 4, 0x03));
  EXPECT_TRUE(AttitudeShown());
  Feed(OtherFrame, 499);
  EXPECT_FALSE(Link.AckReceived);
  EXPECT_TRUE(AttitudeShown());
  Feed(OtherFrame, 1);
  EXPECT_FALSE(AttitudeShown());
  ExpectRoll(false, 3, 3.0);
}

TEST_F(DisplayTest, SettingTheWallClockNeverChangesWhatCountsAsFresh) {
  StartAt(FTick);
  Feed(AttitudeSample, 50);
  const TDateTime stamped = DisplayState.LastAttitudeTime;
  EXPECT_EQ(stamped, FNow) << "the local time of the frame is kept";

  // The clock is set back an hour: the AX-9, silent for 600 ms, is stale all the same.
  FNow -= 1.0 / 24;
  Feed(HeadingSample, 600);
  EXPECT_FALSE(AttitudeShown());
  EXPECT_TRUE(CompassShown());

  // Set forward a day: a sensor heard from 100 ms ago is still fresh.
  FNow += 1.0;
  Feed(AckBytes, 100);
  EXPECT_TRUE(CompassShown());
}

}  // namespace
