#pragma once
// The main window headless, as the program runs it once start-up is over: shown, both
// sensors just heard from, the freshness window set.
#include <memory>
#include <vector>

#include "app/DisplayState.h"
#include "app/SensorLink.h"
#include "app/formAX9.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

struct TBenchWindow {
  TApplication App{std::make_unique<THeadlessBackend>()};
  TfrmAX9* Form = nullptr;

  TBenchWindow() {
    Link.Reset();
    DisplayState.Reset();
    Form = new TfrmAX9(&App);
    frmAX9 = Form;
    DisplayState.FreshWindow = 500 / MSecsPerDay;
    DisplayState.LastAttitudeTick = DisplayState.LastCompassTick = DisplayClocks.Tick();
    Form->Show();
    App.ProcessMessages();
  }
  ~TBenchWindow() { frmAX9 = nullptr; }

  // Feeds a frame as the receive handler does, frame end included.
  void Feed(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
      if (FrameMachine(b)) Form->ExtractDisplayData();
  }
};

inline std::vector<uint8_t> AttitudeFrame(int16_t roll, int16_t pitch, uint8_t mode) {
  const auto r = uint16_t(roll), p = uint16_t(pitch);
  return {0x82, 0xFF, 0x0C, 0x37, 0x00, uint8_t(r), uint8_t(r >> 8), uint8_t(p), uint8_t(p >> 8),
          0, 0, 0, 0, 0, mode, 0, 0};
}
inline std::vector<uint8_t> HeadingFrame(uint16_t heading, uint8_t mode) {
  return {0x82, 0xFF, 0x03, 0x32, uint8_t(heading), uint8_t(heading >> 8), mode};
}
