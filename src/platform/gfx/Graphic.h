#pragma once
#include <memory>

#include "platform/gfx/Types.h"
#include "platform/rtl/Object.h"

class TCanvas;

// A picture of some kind (bitmap, JPEG) that can be drawn onto a canvas.
//
// OnChange is called, with the picture as sender, after its size or content was replaced
// (assignment, loading, resizing). Drawing on a bitmap's canvas does not call it: the
// owner of a bitmap it paints into knows already, and a repaint must not re-trigger itself.
class TGraphic : public TObject {
 public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  // Copies the picture onto R of ACanvas, scaled when the sizes differ.
  virtual void Draw(TCanvas& ACanvas, const TRect& R) const = 0;
  // A new picture of the same kind with the same content.
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  TNotifyEvent OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
};
