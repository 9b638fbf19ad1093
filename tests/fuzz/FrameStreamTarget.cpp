#include <cstdlib>
#include <memory>

#include "FuzzTargets.h"
#include "app/DisplayState.h"
#include "app/SensorLink.h"
#include "app/formAX9.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "platform/ui/Application.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

namespace {

void Require(bool Rule) {
  if (!Rule) std::abort();
}

// One window for the whole run: making it costs far more than an input. It is never freed:
// at exit the framework's own statics may already be gone.
TfrmAX9& Window() {
  static TApplication* app = nullptr;
  if (!app) {
    app = new TApplication(std::make_unique<THeadlessBackend>());
    frmAX9 = new TfrmAX9(app);
    app->ProcessMessages();
  }
  return *frmAX9;
}

// The readings a frame carries, decoded here on their own from the stored bytes, so that a
// wrong decoding in the window cannot agree with itself: attitude frames (type 37) hold roll
// and pitch as little-endian signed 16-bit numbers at 0 and 2, heading frames (type 32) the
// heading as an unsigned one at 0.
struct TExpected {
  int32_t Roll = 0, Pitch = 0, Heading = 0;

  void Take(uint8_t Type, const uint8_t* Bytes) {
    auto le = [Bytes](int at) { return uint16_t(Bytes[at] + 256 * Bytes[at + 1]); };
    if (Type == 0x37) {
      Roll = int16_t(le(0));
      Pitch = int16_t(le(2));
    } else if (Type == 0x32) {
      Heading = le(0);
    }
  }
};

int32_t Magnitude(int32_t v) { return v < 0 ? -v : v; }

}  // namespace

void FuzzFrameStream(const uint8_t* Data, size_t Size) {
  TfrmAX9& window = Window();
  Link.Reset();
  DisplayState.Reset();
  uint64_t tick = 1000;
  DisplayClocks.Now = [&tick] { return TDateTime(double(tick) / 86400000.0); };
  DisplayClocks.Tick = [&tick] { return tick; };
  DisplayState.FreshWindow = 500.0 / 86400000.0;
  TExpected expected;
  for (size_t i = 0; i < Size; ++i) {
    tick += Data[i] & 7;  // time moves on by a few milliseconds a byte
    if (FrameMachine(Data[i])) {
      Require(Link.FrameState == 0);
      expected.Take(Link.FrameType, Link.FrameData);
      window.ExtractDisplayData();
      Require(window.CompteurRoulis->Value() == Magnitude(expected.Roll));
      Require(window.CompteurTangage->Value() == Magnitude(expected.Pitch));
      Require(window.CompteurCompas->Value() == expected.Heading);
      Require((window.SigneRoulis->Segments() == TVrDigitSegments{seg2}) == (expected.Roll < 0));
      Require((window.SigneTangage->Segments() == TVrDigitSegments{seg2}) == (expected.Pitch < 0));
    }
    Require(Link.FrameState <= 5);
    Require(Link.FrameIndex <= sizeof Link.FrameData);
  }
  Application->ProcessMessages();  // paints whatever the frames left on the instruments
  DisplayClocks.Reset();
}
