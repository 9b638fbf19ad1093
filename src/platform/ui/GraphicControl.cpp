#include "platform/ui/GraphicControl.h"

#include "platform/gfx/Canvas.h"

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::AttachDC(const TPaintDC& DC) { FCanvas->SetTarget(DC.Surface, DC.Origin, DC.Clip); }

void TGraphicControl::DetachDC() { FCanvas->SetTarget(nullptr, TPoint{}, TRect{}); }

void TGraphicControl::PaintRequest(const TPaintDC* DC) {
  if (!DC || !DC->Surface) return;
  FCanvas->Lock();
  AttachDC(*DC);
  try {
    Paint();
  } catch (...) {
    DetachDC();
    FCanvas->Unlock();
    throw;
  }
  DetachDC();
  FCanvas->Unlock();
}
