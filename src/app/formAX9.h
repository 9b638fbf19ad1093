#pragma once
#include <cstdint>
#include <memory>

#include "app/ControlStandIns.h"
#include "comm/VaComm.h"
#include "platform/ui/Form.h"

// The main window: the serial component and the sensor link's handlers. The window is
// created by the program entry through Application->CreateForm(frmAX9); its creation
// handler FormCreate reads the port number, opens the port and sends the start command,
// all before the window is first shown.
class TfrmAX9 : public TForm {
 public:
  explicit TfrmAX9(TComponent* AOwner);
  ~TfrmAX9() override;

  TVaComm* VaComm1;  // owned by the form

  // Stand-ins for controls the window design will place (see ControlStandIns.h).
  std::unique_ptr<TLabelStandIn> ComDisp;
  std::unique_ptr<TLabelStandIn> ModeAX9;
  std::unique_ptr<TLabelStandIn> ModeKQ3;
  std::unique_ptr<TBlinkLedStandIn> BLedAX9;
  std::unique_ptr<TBlinkLedStandIn> BLedKQ3;

  void FormCreate(TObject* Sender);
  // Received characters: reads them in pieces of at most 1001 bytes, in arrival order,
  // until Count is served or a read finds nothing, and feeds them to the frame machine.
  void VaComm1RxChar(TObject* Sender, int Count);
  // The frame end, with FrameType and FrameData holding the completed frame.
  void ExtractDisplayData();
  // The program's exception handler: a serial error's message in a message box, any other
  // exception dropped silently.
  void ShowCommError(TObject* Sender, const Exception& E);

 private:
  void DesignVaComm1();
};

extern TfrmAX9* frmAX9;

// The configured port number, kept modulo 256.
extern uint8_t PortNumber;
