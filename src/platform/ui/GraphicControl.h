#pragma once
#include <memory>

#include "platform/ui/Control.h"

class TCanvas;

// A windowless control: it has no surface of its own and paints through Canvas onto its
// parent's, moved to the control's origin and clipped to its bounds and to the area being
// painted. Outside a paint request the canvas has no surface and draws nothing.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  TCanvas* Canvas() const { return FCanvas.get(); }
  // Attaches DC to Canvas, runs Paint and detaches it again, also when Paint fails.
  void PaintRequest(const TPaintDC* DC) override;

 protected:
  virtual void Paint() {}
  void AttachDC(const TPaintDC& DC);
  void DetachDC();

 private:
  std::unique_ptr<TCanvas> FCanvas;
};
