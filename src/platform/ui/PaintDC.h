#pragma once
#include "platform/gfx/Types.h"

class TBitmap;

// What a paint request hands a control: the surface painted on (a form's back buffer),
// where the control's (0, 0) lies on it, and the part to paint, in surface coordinates.
struct TPaintDC {
  TBitmap* Surface = nullptr;
  TPoint Origin;
  TRect Clip;
};
