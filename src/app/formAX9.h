#pragma once
#include <cstdint>

#include "comm/VaComm.h"
#include "platform/ui/Form.h"

class TImage;
class TLabel;
class TPanel;
class TTimer;
class TVrBlinkLed;
class TVrCounter;
class TVrDigit;
class TVrJogMeter;

// The main window. The program entry creates it through Application->CreateForm(frmAX9):
// the constructor builds the window's design (formAX9Design.cpp), then the creation handler
// FormCreate reads the port number, opens the port and sends the start command, all before
// the window is first shown. From then on the window is driven by received characters:
// VaComm1RxChar feeds the frame machine, and every frame end runs ExtractDisplayData.
class TfrmAX9 : public TForm {
 public:
  explicit TfrmAX9(TComponent* AOwner);
  ~TfrmAX9() override;

  // The window's parts, owned by the window. The controls all sit on the panel
  // LabelModeKQ3 and are listed in painting order: each is drawn over those before it.
  TVaComm* VaComm1 = nullptr;
  TPanel* LabelModeKQ3 = nullptr;
  TImage* ImageKQ3 = nullptr;
  TVrJogMeter* VrJogMeterRoulisAX9 = nullptr;
  TVrCounter* CompteurRoulis = nullptr;
  TLabel* ModeAX9 = nullptr;
  TLabel* ComDisp = nullptr;
  TVrJogMeter* VrJogMeterTangageAX9 = nullptr;
  TVrCounter* CompteurTangage = nullptr;
  TVrDigit* SigneTangage = nullptr;
  TVrDigit* SigneRoulis = nullptr;
  TVrJogMeter* VrJogMeterCompasKQ3 = nullptr;
  TVrCounter* CompteurCompas = nullptr;
  TVrDigit* SigneCompas = nullptr;
  TLabel* LabelRoulis = nullptr;
  TLabel* LabelTangage = nullptr;
  TLabel* LabelCap = nullptr;
  TLabel* ModeKQ3 = nullptr;
  TVrBlinkLed* BLedAX9 = nullptr;
  TVrBlinkLed* BLedKQ3 = nullptr;

  // One-shot watches of each sensor's silence: started by the sensor's data frames, they
  // fire when its last data frame is FreshWindow old and run that sensor's freshness test,
  // so that a sensor that falls silent is shown as such even when no frame end comes.
  TTimer* FreshTimerAX9 = nullptr;
  TTimer* FreshTimerKQ3 = nullptr;

  void FormCreate(TObject* Sender);
  // Received characters: reads them in pieces of at most 1001 bytes, in arrival order,
  // until Count is served or a read finds nothing, and feeds them to the frame machine.
  void VaComm1RxChar(TObject* Sender, int Count);
  // The frame end, with FrameType and FrameData holding the completed frame: keeps the
  // values of a data frame, shows the kept values and tests both sensors' freshness.
  void ExtractDisplayData();
  // The program's exception handler: a serial error's message in a message box, any other
  // exception dropped silently.
  void ShowCommError(TObject* Sender, const Exception& E);

  // Each sensor's freshness test: its LED (and the LED's blinking) and its mode label are
  // shown while its last data frame is less than FreshWindow old on the monotonic tick.
  void ShowAttitudeFreshness();
  void ShowCompassFreshness();

 private:
  // The design: every part with its place, size and settings, as the window is drawn.
  void CreateDesign();
  void DesignVaComm1();
  void CreateFreshTimers();

  void KeepAttitudeValues();
  void KeepCompassValues();
  void ShowSensorValues();
  // Starts a sensor's watch unless it is already running.
  void WatchSensor(TTimer* Timer);
  // The watch fired: when the sensor is still fresh (a newer frame came meanwhile), it
  // waits for the rest of that frame's window, otherwise it stops.
  void SensorWatchFired(TTimer* Timer, bool Fresh, uint64_t LastTick);
};

extern TfrmAX9* frmAX9;

// The configured port number, kept modulo 256.
extern uint8_t PortNumber;
