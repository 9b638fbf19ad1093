#include "platform/ui/backend/win32/Win32Images.h"

#include <cstdlib>
#include <cstring>

namespace {

// A 32-bit top-down DIB section of the image's colours with its opacity in the top byte.
HBITMAP ColourBitmap(const TIconImage& Image) {
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = Image.Width;
  h.bV5Height = -Image.Height;
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000;
  h.bV5GreenMask = 0x0000FF00;
  h.bV5BlueMask = 0x000000FF;
  h.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!bitmap) return nullptr;
  auto* out = static_cast<uint32_t*>(bits);
  const size_t n = size_t(Image.Width) * size_t(Image.Height);
  // See-through pixels are black as well, so that a system drawing the icon without its
  // opacity (through the mask) leaves the screen there untouched.
  for (size_t i = 0; i < n; ++i) out[i] = (Image.Argb(i) >> 24) ? Image.Argb(i) : 0;
  GdiFlush();
  return bitmap;
}

// The AND mask: 1 where the screen shows through. Rows are padded to 16 bits.
HBITMAP MaskBitmap(const TIconImage& Image) {
  const int rowBytes = (Image.Width + 15) / 16 * 2;
  std::vector<uint8_t> bits(size_t(rowBytes) * size_t(Image.Height), 0);
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x)
      if ((Image.Argb(size_t(y * Image.Width + x)) >> 24) == 0) bits[size_t(y * rowBytes + x / 8)] |= uint8_t(0x80 >> (x % 8));
  return CreateBitmap(Image.Width, Image.Height, 1, 1, bits.data());
}

}  // namespace

HICON CreateIconFromImage(const TIconImage& Image) {
  if (Image.Width <= 0 || Image.Height <= 0 || Image.Pixels.size() < size_t(Image.Width) * size_t(Image.Height))
    return nullptr;
  HBITMAP colour = ColourBitmap(Image);
  HBITMAP mask = MaskBitmap(Image);
  HICON icon = nullptr;
  if (colour && mask) {
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour;
    icon = CreateIconIndirect(&info);  // copies both bitmaps
  }
  if (colour) DeleteObject(colour);
  if (mask) DeleteObject(mask);
  return icon;
}

const TIconImage* ClosestIconImage(const std::vector<TIconImage>& Sizes, int Width) {
  const TIconImage* best = nullptr;
  for (const TIconImage& s : Sizes)
    if (!best || std::abs(s.Width - Width) < std::abs(best->Width - Width)) best = &s;
  return best;
}

HCURSOR CreateCursorFromBits(int Width, int Height, const std::vector<uint8_t>& Image,
                             const std::vector<uint8_t>& Mask, int HotX, int HotY) {
  if (Width <= 0 || Height <= 0) return nullptr;
  // Windows combines an AND plane and an XOR plane: AND 1 keeps the screen, XOR 1 then
  // inverts it. Black is AND 0 XOR 0, white AND 0 XOR 1, see-through AND 1 XOR 0, inverted
  // AND 1 XOR 1. Rows are padded to 16 bits.
  const int rowBytes = (Width + 15) / 16 * 2;
  std::vector<uint8_t> andPlane(size_t(rowBytes) * size_t(Height), 0), xorPlane(andPlane.size(), 0);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const size_t i = size_t(y * Width + x), b = size_t(y * rowBytes + x / 8);
      const uint8_t bit = uint8_t(0x80 >> (x % 8));
      const bool image = i < Image.size() && Image[i], mask = i < Mask.size() && Mask[i];
      if (!mask) andPlane[b] |= bit;
      if (mask ? !image : image) xorPlane[b] |= bit;
    }
  return CreateCursor(GetModuleHandleW(nullptr), HotX, HotY, Width, Height, andPlane.data(), xorPlane.data());
}
