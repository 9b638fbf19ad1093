#include "platform/gfx/Frame3D.h"

void Frame3D(TCanvas& C, TRect& R, TColor TopLeft, TColor BottomRight, int Width) {
  for (int i = 0; i < Width && !R.IsEmpty(); ++i) {
    C.Brush()->SetColor(TopLeft);
    C.FillRect(Rect(R.Left, R.Top, R.Right - 1, R.Top + 1));
    C.FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom - 1));
    C.Brush()->SetColor(BottomRight);
    C.FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
    C.FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
    R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
  }
}
