// The frame end: what the window keeps of each frame and how it shows it.
#include <algorithm>

#include "app/DisplayState.h"
#include "app/SensorLink.h"
#include "app/SensorModes.h"
#include "app/formAX9.h"
#include "instruments/VrBlinkLed.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "instruments/VrJogMeter.h"
#include "platform/ui/Label.h"
#include "platform/ui/Timer.h"

namespace {

constexpr uint8_t AckType = 0x0A;
constexpr uint8_t AttitudeType = 0x37;
constexpr uint8_t HeadingType = 0x32;

const TVrDigitSegments MinusSign{seg2};  // the middle bar alone
const TVrDigitSegments NoSign{};

int16_t StoredInt16(int At) { return int16_t(Link.FrameData[At] | Link.FrameData[At + 1] << 8); }
uint16_t StoredUInt16(int At) { return uint16_t(Link.FrameData[At] | Link.FrameData[At + 1] << 8); }

void ShowSigned(int16_t Value, TVrDigit* Sign, TVrCounter* Counter, TVrJogMeter* Meter) {
  Sign->SetSegments(Value < 0 ? MinusSign : NoSign);
  Counter->SetValue(Value < 0 ? -int32_t(Value) : int32_t(Value));  // -32768 gives 32768
  Meter->Value()->SetValue(double(Value));
}

void ShowFreshness(bool Fresh, TVrBlinkLed* Led, TLabel* ModeLabel) {
  Led->SetEnableBlinking(Fresh);
  Led->SetVisible(Fresh);
  ModeLabel->SetVisible(Fresh);
}

}  // namespace

void TfrmAX9::ExtractDisplayData() {
  // Whether this was the acknowledgement SendCommand waits for; any later frame clears it.
  Link.AckReceived = Link.FrameType == AckType;
  if (Link.FrameType == AttitudeType) KeepAttitudeValues();
  if (Link.FrameType == HeadingType) KeepCompassValues();
  // Every frame, of whatever type, shows the kept values and tests freshness again.
  ShowSensorValues();
  ShowAttitudeFreshness();
  ShowCompassFreshness();
}

void TfrmAX9::KeepAttitudeValues() {
  DisplayState.LastAttitudeTime = DisplayClocks.Now();
  DisplayState.LastAttitudeTick = DisplayClocks.Tick();
  DisplayState.RollValue = StoredInt16(0);
  DisplayState.PitchValue = StoredInt16(2);
  DisplayState.AttitudeMode = Link.FrameData[9];
  WatchSensor(FreshTimerAX9);
}

void TfrmAX9::KeepCompassValues() {
  DisplayState.LastCompassTime = DisplayClocks.Now();
  DisplayState.LastCompassTick = DisplayClocks.Tick();
  DisplayState.HeadingValue = StoredUInt16(0);
  DisplayState.CompassMode = Link.FrameData[2];
  WatchSensor(FreshTimerKQ3);
}

void TfrmAX9::ShowSensorValues() {
  const TDisplayState& s = DisplayState;
  ModeAX9->SetCaption(AttitudeModeText(s.AttitudeMode));
  ShowSigned(s.RollValue, SigneRoulis, CompteurRoulis, VrJogMeterRoulisAX9);
  ShowSigned(s.PitchValue, SigneTangage, CompteurTangage, VrJogMeterTangageAX9);
  if (const char* text = CompassModeText(s.CompassMode)) ModeKQ3->SetCaption(text);
  CompteurCompas->SetValue(s.HeadingValue);
  VrJogMeterCompasKQ3->Value()->SetValue(double(s.HeadingValue));
}

void TfrmAX9::ShowAttitudeFreshness() {
  DisplayState.AttitudeFresh = DisplayState.FreshAt(DisplayState.LastAttitudeTick, DisplayClocks.Tick());
  ShowFreshness(DisplayState.AttitudeFresh, BLedAX9, ModeAX9);
}

void TfrmAX9::ShowCompassFreshness() {
  DisplayState.CompassFresh = DisplayState.FreshAt(DisplayState.LastCompassTick, DisplayClocks.Tick());
  ShowFreshness(DisplayState.CompassFresh, BLedKQ3, ModeKQ3);
}

// A running watch is left alone: it fires at the end of an older frame's window, finds the
// sensor still fresh and waits for the rest of the newest one's. So a steady stream costs
// one timer tick per window instead of a restart per frame.
void TfrmAX9::WatchSensor(TTimer* Timer) {
  if (Timer->Enabled() || DisplayState.FreshWindowMs() == 0) return;
  Timer->SetInterval(uint32_t(DisplayState.FreshWindowMs()));
  Timer->SetEnabled(true);
}

void TfrmAX9::SensorWatchFired(TTimer* Timer, bool Fresh, uint64_t LastTick) {
  if (!Fresh) {
    Timer->SetEnabled(false);
    return;
  }
  const uint64_t now = DisplayClocks.Tick();
  const uint64_t end = LastTick + DisplayState.FreshWindowMs();
  Timer->SetInterval(uint32_t(std::max<uint64_t>(end > now ? end - now : 0, 1)));
}
