#pragma once
// Shared pieces of the program's tests: a headless application with the main window.
// posix/SensorSupport.h adds a sensor played on the master side of a pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/DisplayState.h"
#include "app/PortConfig.h"
#include "app/SensorLink.h"
#include "app/formAX9.h"
#include "instruments/VrBlinkLed.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "instruments/VrJogMeter.h"
#include "platform/kernel/Tick.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"
#include "support/Pump.h"

using TBytes = std::vector<uint8_t>;

inline const TBytes StartCommandBytes = {0x82, 0xE6, 0x04, 0x35, 0x06, 0x00, 0x00, 0x74, 0x83};
inline const TBytes AckBytes = {0x82, 0xFF, 0x01, 0x0A, 0x00, 0x00};
inline const TBytes AttitudeSample = {0x82, 0xFF, 0x0C, 0x37, 0x00, 0xFB, 0xFF, 0x0A, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
inline const TBytes HeadingSample = {0x82, 0xFF, 0x03, 0x32, 0x68, 0x01, 0x02};

inline TBytes Concat(std::initializer_list<TBytes> parts) {
  TBytes all;
  for (const TBytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline int16_t StoredInt16(int at) { return int16_t(Link.FrameData[at] | Link.FrameData[at + 1] << 8); }

// A fresh link and an application on the headless backend with the main window created
// but not started: its creation handler has not run and its port is closed.
class TWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Link.Reset();
    DisplayState.Reset();
    DisplayClocks.Reset();
    auto backend = std::make_unique<THeadlessBackend>();
    FBackend = backend.get();
    FApp = std::make_unique<TApplication>(std::move(backend));
    FForm = new TfrmAX9(FApp.get());
    frmAX9 = FForm;
  }
  void TearDown() override {
    FApp.reset();
    DisplayClocks.Reset();
  }

  THeadlessBackend* FBackend = nullptr;
  std::unique_ptr<TApplication> FApp;
  TfrmAX9* FForm = nullptr;
};
