#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SimulatorLog.h"
#include "platform/gfx/Types.h"

class TApplication;
class TfrmAX9;

// The main window as this test program paints it itself, headless, from the same design and
// decoding: what the real program's window must look like on the screen. It starts in the
// design state; the frames given are decoded as the program decodes them, with the freshness
// window not set, so the LEDs and mode labels are hidden once a frame has ended.
class TReferenceWindow {
 public:
  TReferenceWindow();
  ~TReferenceWindow();

  TfrmAX9& Form() { return *FForm; }
  void Feed(const std::vector<uint8_t>& bytes);
  // The readings fed as the sensors' frames, with the port's name (as "Com1") shown.
  void ShowReadings(const TLoggedReadings& readings, const std::string& port);
  // Paints what is pending.
  void Update();
  // The client area's pixels, 0x00RRGGBB, row-major.
  std::vector<uint32_t> Pixels() const;
  // Writes both pictures beside each other for a person to compare.
  void SaveComparison(const std::vector<uint32_t>& screen, const std::string& path) const;

 private:
  std::unique_ptr<TApplication> FApp;
  TfrmAX9* FForm = nullptr;
};

// Design places, in window coordinates.
TRect ControlBounds(TfrmAX9& form, const char* name);
