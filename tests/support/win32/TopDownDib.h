#pragma once
// A 32-bit top-down DIB section selected into a memory DC for as long as it lives: what GDI
// draws or copies into that DC is then read straight from memory, row by row from the top.
// For the .cpp files of the Windows tests that already include <windows.h>.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class TTopDownDib {
 public:
  TTopDownDib(HDC MemoryDC, int Width, int Height) : FDC(MemoryDC) {
    if (Width <= 0 || Height <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = Width;
    bi.bmiHeader.biHeight = -Height;  // negative: the first row in memory is the top one
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap = CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FBitmap || !bits) return;
    FBits = static_cast<uint32_t*>(bits);
    FCount = size_t(Width) * size_t(Height);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TTopDownDib() {
    if (FOld) SelectObject(FDC, FOld);
    if (FBitmap) DeleteObject(FBitmap);
  }
  TTopDownDib(const TTopDownDib&) = delete;
  TTopDownDib& operator=(const TTopDownDib&) = delete;

  bool Valid() const { return FBits != nullptr; }
  uint32_t* Pixels() const { return FBits; }  // Width * Height words, nullptr when not Valid
  size_t Count() const { return FCount; }

  // Every pixel as 0x00RRGGBB once GDI has finished drawing (the top byte is GDI's business).
  std::vector<uint32_t> Rgb() const {
    GdiFlush();
    std::vector<uint32_t> out(FBits, FBits + FCount);
    for (uint32_t& px : out) px &= 0xFFFFFFu;
    return out;
  }

 private:
  HDC FDC;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  uint32_t* FBits = nullptr;
  size_t FCount = 0;
};
