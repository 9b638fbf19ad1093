// The design of the main window: every part with its place, size and settings. It runs in
// the loading state, so nothing is laid out, sized or painted until the whole design is in.
#include <string>

#include "app/formAX9.h"
#include "instruments/VrBlinkLed.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "instruments/VrJogMeter.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Icon.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/Panel.h"

namespace {

// A control of the window's design: owned by the window, placed on Parent.
template <class T>
T* Place(TForm* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width, int Height) {
  T* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

void DesignFont(TControl* C, const char* Name, TColor Color, TFontStyles Style = {}) {
  TFont* f = C->Font();
  f->SetName(Name);
  f->SetHeight(-11);  // 11 pixels: 8 points at 96 pixels per inch
  f->SetColor(Color);
  f->SetStyle(Style);
}

// Settings shared by the three jog meters.
void DesignJogMeter(TVrJogMeter* M, TVrDirection Direction, const char* Caption) {
  M->SetDirection(Direction);
  M->SetCaption(Caption);  // not drawn: the caption display is off
  M->SetShowCaption(false);
  M->SetColor(clBlack);
  M->SetFromColor(clBlack);
  M->SetToColor(clWhite);
  DesignFont(M, "Arial", clBlack);
  M->SetParentColor(false);
  M->SetParentFont(false);
  TVrJogMeterScale* s = M->Scale();
  s->SetColor(clBlack);
  s->SetFormatText("%s");
  s->SetApperture(50.0);
  s->SetPosition(voBefore);
  s->SetStep(10.0);
  s->SetSmallStep(1.0);
  s->SetHeightMax(14);
  s->SetHeightMin(8);
  TVrLiniarIndicator* v = M->Value();
  v->SetShape(voLine);
  v->SetColor(clRed);
  v->SetVisible(true);
  TBitmap pin;  // the picture of the pin shape, unused by the line
  pin.LoadFromResourceName("TIWPIN");
  v->SetBitmap(&pin);
}

// Settings shared by the three counters.
void DesignCounter(TVrCounter* C) {
  C->SetDigits(3);
  C->SetTransparent(true);
  C->SetColor(clBtnFace);
  TBitmap strip;  // ten green seven-segment digits on black, 9 by 13 each
  strip.LoadFromResourceName("BMCOUNTER");
  C->SetBitmap(&strip);
}

// Settings shared by the three sign digits: nothing lit, and only lit segments drawn.
void DesignSignDigit(TVrDigit* D) {
  D->SetBinaryValue(0);
  D->SetSegments(TVrDigitSegments{});
  D->SetShowDecimal(false);
  D->Palette()->SetLow(clGreen);
  D->Palette()->SetHigh(clLime);
  D->SetActiveOnly(true);
  D->SetTransparent(true);
}

// Settings shared by the two LEDs.
void DesignBlinkLed(TVrBlinkLed* L) {
  L->Palette1()->SetLow(clBlack);
  L->Palette1()->SetHigh(clRed);
  L->Palette2()->SetLow(clBlack);
  L->Palette2()->SetHigh(clAqua);
  L->Palette3()->SetLow(clBlack);
  L->Palette3()->SetHigh(clYellow);
  L->Palette4()->SetLow(clBlack);
  L->Palette4()->SetHigh(clLime);
  L->SetMargin(2);
  L->SetSpacing(3);
  L->SetColor(clMaroon);
  DesignFont(L, "Tahoma", clWhite);
  L->SetCaption("");
  L->SetEnableBlinking(true);
  L->SetBlinkSpeed(150);
}

// The labels whose text the program sets: bold, empty until then.
void DesignValueLabel(TLabel* L, bool Transparent) {
  L->SetCaption("");
  DesignFont(L, "MS Sans Serif", clWindowText, TFontStyles{fsBold});
  L->SetTransparent(Transparent);
}

}  // namespace

void TfrmAX9::CreateDesign() {
  SetName("frmAX9");
  SetCaption("Orvel KQ3 AX9   www.orvel.example");
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);  // over the designed place, left 279, top 174
  SetClientWidth(256);
  SetClientHeight(276);
  SetColor(clBtnFace);
  DesignFont(this, "MS Sans Serif", clWindowText);
  SetIcon({LoadIconResource("MAINICON"), LoadIconResource("MAINICON16")});
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };

  VaComm1 = new TVaComm(this);
  DesignVaComm1();

  // The panel that fills the window and carries everything.
  LabelModeKQ3 = Place<TPanel>(this, this, "LabelModeKQ3", 0, 0, 257, 276);
  LabelModeKQ3->SetAlign(alLeft);
  LabelModeKQ3->SetBevelOuter(bvNone);
  LabelModeKQ3->SetBevelInner(bvNone);
  LabelModeKQ3->SetBorderWidth(2);
  LabelModeKQ3->SetCaption("");
  TPanel* const P = LabelModeKQ3;

  // In painting order: each control is drawn over those before it.
  //                                           name                     left top width height
  ImageKQ3             = Place<TImage>(this, P, "ImageKQ3",                8,  96, 160, 102);
  VrJogMeterRoulisAX9  = Place<TVrJogMeter>(this, P, "VrJogMeterRoulisAX9", 8,  16, 240,  33);
  CompteurRoulis       = Place<TVrCounter>(this, P, "CompteurRoulis",      104,  0,  49,  17);
  ModeAX9              = Place<TLabel>(this, P, "ModeAX9",                 24,  80,   5,  13);
  ComDisp              = Place<TLabel>(this, P, "ComDisp",                 72, 184,   5,  13);
  VrJogMeterTangageAX9 = Place<TVrJogMeter>(this, P, "VrJogMeterTangageAX9", 216, 56, 33, 161);
  CompteurTangage      = Place<TVrCounter>(this, P, "CompteurTangage",    176, 128,  49,  17);
  SigneTangage         = Place<TVrDigit>(this, P, "SigneTangage",         176, 128,  16,  17);
  SigneRoulis          = Place<TVrDigit>(this, P, "SigneRoulis",          104,   0,  16,  17);
  VrJogMeterCompasKQ3  = Place<TVrJogMeter>(this, P, "VrJogMeterCompasKQ3",  8, 224, 240,  33);
  CompteurCompas       = Place<TVrCounter>(this, P, "CompteurCompas",     104, 256,  49,  17);
  SigneCompas          = Place<TVrDigit>(this, P, "SigneCompas",          104, 232,  16,  17);
  LabelRoulis          = Place<TLabel>(this, P, "LabelRoulis",            112,  48,  29,  13);
  LabelTangage         = Place<TLabel>(this, P, "LabelTangage",           168, 144,  43,  13);
  LabelCap             = Place<TLabel>(this, P, "LabelCap",               120, 208,  19,  13);
  ModeKQ3              = Place<TLabel>(this, P, "ModeKQ3",                120,  80,   5,  13);
  BLedAX9              = Place<TVrBlinkLed>(this, P, "BLedAX9",            48, 136,  17,  20);
  BLedKQ3              = Place<TVrBlinkLed>(this, P, "BLedKQ3",           128, 136,  17,  20);

  // The photograph of the two units, at its natural size.
  ImageKQ3->SetAutoSize(true);
  ImageKQ3->Picture()->LoadFromResourceName("IMAGEKQ3");

  DesignJogMeter(VrJogMeterRoulisAX9, voHorizontal, "AX-9 Roulis");
  DesignJogMeter(VrJogMeterTangageAX9, voVertical, "Orvel AX9");
  DesignJogMeter(VrJogMeterCompasKQ3, voHorizontal, "Orvel AX9");
  for (TVrCounter* c : {CompteurRoulis, CompteurTangage, CompteurCompas}) DesignCounter(c);
  for (TVrDigit* d : {SigneTangage, SigneRoulis, SigneCompas}) DesignSignDigit(d);
  for (TVrBlinkLed* l : {BLedAX9, BLedKQ3}) DesignBlinkLed(l);

  DesignValueLabel(ModeAX9, false);
  DesignValueLabel(ComDisp, true);
  DesignValueLabel(ModeKQ3, false);
  LabelRoulis->SetCaption("Roulis");
  LabelTangage->SetCaption("Tangage");
  LabelCap->SetCaption("Cap");
}

// The serial component as the window is designed with it.
void TfrmAX9::DesignVaComm1() {
  VaComm1->SetName("VaComm1");
  VaComm1->SetBaudrate(br19200);
  VaComm1->SetPortNum(1);  // replaced at start-up
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
