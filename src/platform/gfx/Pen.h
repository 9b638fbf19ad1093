#pragma once
#include "platform/gfx/Color.h"

enum TPenStyle { psSolid, psDot, psClear };
// How a pen pixel meets the surface: replace it, invert it, or xor the pen colour into it.
enum TPenMode { pmCopy, pmNot, pmXor };

// The canvas's pen: outlines and lines. A dotted pen paints 3 pixels on and 3 off along the
// path (the gaps take the brush colour when the brush is solid); a pen wider than 1 is
// always solid.
class TPen {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  int Width() const { return FWidth; }
  void SetWidth(int value) { FWidth = value < 1 ? 1 : value; }
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value) { FStyle = value; }
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value) { FMode = value; }

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};
