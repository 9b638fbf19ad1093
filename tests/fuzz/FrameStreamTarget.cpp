#include <cstdlib>
#include <memory>

#include "FuzzTargets.h"
#include "app/DisplayState.h"
#include "app/SensorLink.h"
#include "app/formAX9.h"
#include "instruments/VrCounter.h"
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

int32_t Magnitude(int16_t v) { return v < 0 ? -int32_t(v) : v; }

}  // namespace

void FuzzFrameStream(const uint8_t* Data, size_t Size) {
  TfrmAX9& window = Window();
  Link.Reset();
  DisplayState.Reset();
  uint64_t tick = 1000;
  DisplayClocks.Now = [&tick] { return TDateTime(double(tick) / 86400000.0); };
  DisplayClocks.Tick = [&tick] { return tick; };
  DisplayState.FreshWindow = 500.0 / 86400000.0;
  for (size_t i = 0; i < Size; ++i) {
    tick += Data[i] & 7;  // time moves on by a few milliseconds a byte
    if (FrameMachine(Data[i])) {
      Require(Link.FrameState == 0);
      window.ExtractDisplayData();
      Require(window.CompteurRoulis->Value() == Magnitude(DisplayState.RollValue));
      Require(window.CompteurTangage->Value() == Magnitude(DisplayState.PitchValue));
      Require(window.CompteurCompas->Value() == DisplayState.HeadingValue);
    }
    Require(Link.FrameState <= 5);
    Require(Link.FrameIndex <= sizeof Link.FrameData);
  }
  Application->ProcessMessages();  // paints whatever the frames left on the instruments
  DisplayClocks.Reset();
}
