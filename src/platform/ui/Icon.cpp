#include "platform/ui/Icon.h"

#include "platform/gfx/Bitmap.h"

TIconImage IconImageFromBitmap(const TBitmap& Bitmap, TColor KeyColor) {
  TIconImage icon;
  icon.Width = Bitmap.Width();
  icon.Height = Bitmap.Height();
  const uint32_t key = ColorToPixel(KeyColor);
  icon.Pixels.reserve(size_t(icon.Width) * size_t(icon.Height));
  icon.Alpha.reserve(icon.Pixels.capacity());
  for (int y = 0; y < icon.Height; ++y) {
    const uint32_t* row = Bitmap.ScanLine(y);
    for (int x = 0; x < icon.Width; ++x) {
      const uint32_t p = row[x] & 0xFFFFFF;
      icon.Pixels.push_back(p);
      icon.Alpha.push_back(p == key ? 0 : 255);
    }
  }
  return icon;
}

TIconImage LoadIconResource(std::string_view Name) {
  TBitmap bitmap;
  bitmap.LoadFromResourceName(Name);
  return IconImageFromBitmap(bitmap, clFuchsia);
}
