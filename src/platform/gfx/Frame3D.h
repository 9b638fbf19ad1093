#pragma once
#include "platform/gfx/Canvas.h"

// Width one-pixel rings of a raised or sunk edge: top and left in TopLeft, bottom and right
// in BottomRight, painted with the brush. R shrinks by the rings drawn.
void Frame3D(TCanvas& C, TRect& R, TColor TopLeft, TColor BottomRight, int Width);
