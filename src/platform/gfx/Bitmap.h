#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/Color.h"
#include "platform/gfx/Graphic.h"

// A 32-bit image in memory: Width x Height pixels, row-major from the top, each pixel a
// uint32_t 0x00RRGGBB (top byte unused), Stride pixels from one row to the next. A form's
// back buffer is a TBitmap handed to the screen as it is.
//
// Resizing keeps no promise about the content (new pixels are black). OnChange (from
// TGraphic) follows a resize, an assignment or a load; drawing through Canvas does not
// notify (call Modified for that).
class TBitmap final : public TGraphic {
 public:
  TBitmap();
  TBitmap(int AWidth, int AHeight);
  ~TBitmap() override;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  // Negative sizes count as 0; an absurd size raises EInvalidGraphic.
  void SetWidth(int value) { SetSize(value, FHeight); }
  void SetHeight(int value) { SetSize(FWidth, value); }
  void SetSize(int AWidth, int AHeight);

  uint32_t* Pixels() { return FPixels.data(); }
  const uint32_t* Pixels() const { return FPixels.data(); }
  int Stride() const { return FWidth; }
  uint32_t* ScanLine(int y) { return FPixels.data() + size_t(y) * size_t(FWidth); }
  const uint32_t* ScanLine(int y) const { return FPixels.data() + size_t(y) * size_t(FWidth); }
  // One pixel as a colour (0x00BBGGRR); clNone outside the bitmap.
  TColor PixelColor(int x, int y) const;

  // The bitmap's own canvas: its origin is (0, 0) and its clip the whole bitmap.
  TCanvas* Canvas() const { return FCanvas.get(); }

  // Copies size and pixels; no source (nullptr) or an empty one empties the bitmap.
  // A JPEG image assigns its decoded pixels.
  void Assign(const TGraphic* Source);
  // The colour that key-colour copies leave out: the bottom-left pixel's (clNone if empty).
  TColor TransparentColor() const;

  // Decodes a BMP file (1, 4, 8, 24 or 32 bits per pixel, uncompressed or RLE) from the
  // embedded resource Name (EResNotFound), from bytes or from a file (EInvalidGraphic).
  void LoadFromResourceName(std::string_view Name);
  void LoadFromBMPData(std::span<const uint8_t> Data);
  void LoadFromFile(const std::string& FileName);
  // Writes the bitmap as a PNG file (for tests and for looking at what was drawn).
  void SaveToPNGFile(const std::string& FileName) const;

  // Takes over decoded pixels (row-major 0x00RRGGBB, AWidth x AHeight of them) and notifies.
  void SetPixels(int AWidth, int AHeight, std::vector<uint32_t>&& APixels);
  // Tells the owner the content changed.
  void Modified() { Changed(); }

  void Draw(TCanvas& ACanvas, const TRect& R) const override;
  std::unique_ptr<TGraphic> Clone() const override;

 private:
  void Resize(int AWidth, int AHeight);  // without notifying

  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint32_t> FPixels;
  std::unique_ptr<TCanvas> FCanvas;
};
