#include "app/formAX9.h"

#include <algorithm>
#include <string>

#include "app/DisplayState.h"
#include "app/PortConfig.h"
#include "app/SensorLink.h"
#include "comm/VaClasses.h"
#include "instruments/VrBlinkLed.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Timer.h"

TfrmAX9* frmAX9 = nullptr;
uint8_t PortNumber = 1;

namespace {
constexpr int ReadBufferSize = 1001;
}

TfrmAX9::TfrmAX9(TComponent* AOwner) : TForm(AOwner) {
  BeginLoading();
  CreateDesign();
  Loaded();
  CreateFreshTimers();
}

TfrmAX9::~TfrmAX9() {
  // The port closes when the form's components go, after this object is gone; a
  // received-characters event served while the port closes must not reach us then.
  VaComm1->OnRxChar = nullptr;
  if (frmAX9 == this) frmAX9 = nullptr;
}

void TfrmAX9::CreateFreshTimers() {
  FreshTimerAX9 = new TTimer(this);
  FreshTimerKQ3 = new TTimer(this);
  for (TTimer* t : {FreshTimerAX9, FreshTimerKQ3}) {
    t->SetEnabled(false);
    t->SetInterval(500);
  }
  FreshTimerAX9->SetOnTimer([this](TObject*) {
    ShowAttitudeFreshness();
    SensorWatchFired(FreshTimerAX9, DisplayState.AttitudeFresh, DisplayState.LastAttitudeTick);
  });
  FreshTimerKQ3->SetOnTimer([this](TObject*) {
    ShowCompassFreshness();
    SensorWatchFired(FreshTimerKQ3, DisplayState.CompassFresh, DisplayState.LastCompassTick);
  });
}

void TfrmAX9::FormCreate(TObject*) {
  // 1. From here on every exception of the run goes through ShowCommError.
  Application->OnException = [this](TObject* Sender, const Exception& E) { ShowCommError(Sender, E); };

  // 2, 3. The port number: 1 unless the configuration file says otherwise. A file that
  // cannot be read ends start-up here, with the window in its design state.
  PortNumber = 1;
  if (ConfigFileExists(ConfigFileName)) PortNumber = ReadPortNumber(ConfigFileName);

  // 4, 5. The line settings, then the port.
  VaComm1->SetPortNum(PortNumber);
  VaComm1->SetBaudrate(br19200);
  VaComm1->SetParity(paNone);
  VaComm1->SetStopbits(sb1);
  VaComm1->SetDatabits(db8);
  VaComm1->Open();

  // 6. The port name on the window.
  ComDisp->SetCaption("Com" + std::to_string(PortNumber));

  // 7-10. Both sensors count as just heard from; their LEDs and mode texts stay hidden
  // until a frame ends.
  DisplayState.LastAttitudeTime = DisplayClocks.Now();
  DisplayState.LastCompassTime = DisplayState.LastAttitudeTime;
  DisplayState.LastAttitudeTick = DisplayClocks.Tick();
  DisplayState.LastCompassTick = DisplayState.LastAttitudeTick;
  BLedKQ3->SetEnableBlinking(false);
  BLedKQ3->SetVisible(false);
  ModeKQ3->SetVisible(false);
  BLedAX9->SetEnableBlinking(false);
  BLedAX9->SetVisible(false);
  ModeAX9->SetVisible(false);
  DisplayState.FreshWindow = 500 / MSecsPerDay;
  // The start-up stamps count as data: a frame end within the window shows both sensors,
  // and the watches hide them again if nothing follows.
  WatchSensor(FreshTimerAX9);
  WatchSensor(FreshTimerKQ3);

  // 11. The start command; frames that arrive meanwhile are decoded and shown already.
  Link.CommandFrame[3] = 0x35;
  Link.CommandFrame[4] = 0x06;
  Link.CommandFrame[5] = 0x00;
  Link.CommandFrame[6] = 0x00;
  SendCommand(4, 0xE6, true, 50);
}

void TfrmAX9::VaComm1RxChar(TObject*, int Count) {
  uint8_t buffer[ReadBufferSize];
  // The input queue may hold more than the buffer: read it in pieces, in order.
  while (Count > 0) {
    const int got = VaComm1->ReadData(buffer, std::min(Count, ReadBufferSize));
    if (got <= 0) return;
    Count -= got;
    for (int i = 0; i < got; ++i)
      if (FrameMachine(buffer[i])) ExtractDisplayData();
  }
}

void TfrmAX9::ShowCommError(TObject*, const Exception& E) {
  if (dynamic_cast<const EVaCommError*>(&E)) Application->MessageBox(E.Message());
}
