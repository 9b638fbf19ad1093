#pragma once
#include <atomic>

#include "platform/gfx/Canvas.h"
#include "platform/ui/GraphicControl.h"

// A windowless control filled with its colour, counting the pointer's comings and goings
// (read from any thread).
class TSpot : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  std::atomic<int> Enters{0}, Leaves{0};
  void CMMouseEnter() override { ++Enters; }
  void CMMouseLeave() override { ++Leaves; }

  // A spot owned by `parent` and shown on it.
  static TSpot* On(TWinControl* parent, TRect bounds, TColor color) {
    auto* s = new TSpot(parent);
    s->SetBoundsRect(bounds);
    s->SetColor(color);
    s->SetParent(parent);
    return s;
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};
