#pragma once
#include "platform/gfx/Color.h"

enum TBrushStyle { bsSolid, bsClear };

// The canvas's brush: fills. Giving a clear brush a colour makes it solid.
class TBrush {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value) {
    FColor = value;
    if (FStyle == bsClear) FStyle = bsSolid;
  }
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value) { FStyle = value; }

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};
