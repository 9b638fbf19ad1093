#include "app/formAX9.h"

#include <algorithm>
#include <string>

#include "app/DisplayState.h"
#include "app/PortConfig.h"
#include "app/SensorLink.h"
#include "comm/VaClasses.h"
#include "platform/ui/Application.h"

TfrmAX9* frmAX9 = nullptr;
uint8_t PortNumber = 1;
TDisplayState DisplayState{};

namespace {
constexpr int ReadBufferSize = 1001;
}

TfrmAX9::TfrmAX9(TComponent* AOwner)
    : TForm(AOwner),
      VaComm1(new TVaComm(this)),
      ComDisp(std::make_unique<TLabelStandIn>()),
      ModeAX9(std::make_unique<TLabelStandIn>()),
      ModeKQ3(std::make_unique<TLabelStandIn>()),
      BLedAX9(std::make_unique<TBlinkLedStandIn>()),
      BLedKQ3(std::make_unique<TBlinkLedStandIn>()) {
  SetName("frmAX9");
  SetCaption("Orvel KQ3 AX9   www.orvel.example");
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);
  SetClientWidth(256);
  SetClientHeight(276);
  DesignVaComm1();
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

TfrmAX9::~TfrmAX9() {
  // The port closes when the form's components go, after this object is gone; a
  // received-characters event served while the port closes must not reach us then.
  VaComm1->OnRxChar = nullptr;
  if (frmAX9 == this) frmAX9 = nullptr;
}

// The serial component as the window is designed with it.
void TfrmAX9::DesignVaComm1() {
  VaComm1->SetName("VaComm1");
  VaComm1->SetBaudrate(br19200);
  VaComm1->SetPortNum(1);
  VaComm1->SetDeviceName("COM%d");
  VaComm1->SetOptions(TVaCommOptions{coParityCheck});
  TVaFlowControl* flow = VaComm1->FlowControl();
  flow->SetOutCtsFlow(false);
  flow->SetOutDsrFlow(false);
  flow->SetControlDtr(dtrEnabled);
  flow->SetControlRts(rtsEnabled);
  flow->SetXonXoffOut(false);
  flow->SetXonXoffIn(false);
  flow->SetDsrSensitivity(false);
  flow->SetTxContinueOnXoff(false);
  VaComm1->SetMonitorEvents(TVaCommEvents{ceBreak, ceCts, ceDsr, ceError, ceRing, ceRlsd, ceRxChar, ceTxEmpty,
                                          ceRxFlag, cePErr, ceRx80Full, ceEvent1, ceEvent2});
  VaComm1->Buffers()->SetReadSize(8096);
  VaComm1->SetEventPriority(tpHigher);
  VaComm1->SetDirectWrite(true);
  VaComm1->OnRxChar = [this](TObject* Sender, int Count) { VaComm1RxChar(Sender, Count); };
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
  // until their first frame ends.
  DisplayState.LastAttitudeTime = Now();
  DisplayState.LastCompassTime = DisplayState.LastAttitudeTime;
  BLedKQ3->SetEnableBlinking(false);
  BLedKQ3->SetVisible(false);
  ModeKQ3->SetVisible(false);
  BLedAX9->SetEnableBlinking(false);
  BLedAX9->SetVisible(false);
  ModeAX9->SetVisible(false);
  DisplayState.FreshWindow = 500 / MSecsPerDay;

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

void TfrmAX9::ExtractDisplayData() {
  // Whether this was the acknowledgement SendCommand waits for; any later frame clears it.
  Link.AckReceived = Link.FrameType == 0x0A;

  // Decoding of attitude (0x37) and heading (0x32) frames, the refresh of the instruments
  // and the freshness of both sensors follow here.
}

void TfrmAX9::ShowCommError(TObject*, const Exception& E) {
  if (dynamic_cast<const EVaCommError*>(&E)) Application->MessageBox(E.Message());
}
