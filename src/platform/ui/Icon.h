#pragma once
#include <string_view>

#include "platform/gfx/Color.h"
#include "platform/ui/backend/Backend.h"

class TBitmap;

// One size of a window's icon from a bitmap: pixels of KeyColor are see-through.
TIconImage IconImageFromBitmap(const TBitmap& Bitmap, TColor KeyColor);
// One size of the icon from an embedded BMP resource whose fuchsia (FF00FF) pixels are
// see-through. EResNotFound or EInvalidGraphic when it cannot be loaded.
TIconImage LoadIconResource(std::string_view Name);
