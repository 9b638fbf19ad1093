#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Graphic.h"

// A JPEG photograph, decoded once when loaded and drawn from its decoded pixels.
// Loading failures raise EInvalidGraphic (EResNotFound for a missing resource) and leave
// the picture as it was.
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  int Width() const override { return FBitmap->Width(); }
  int Height() const override { return FBitmap->Height(); }
  bool Empty() const override { return FBitmap->Empty(); }

  void LoadFromData(std::span<const uint8_t> Data);
  void LoadFromFile(const std::string& FileName);
  void LoadFromResourceName(std::string_view Name);
  // Copies another JPEG image (nullptr empties).
  void Assign(const TJPEGImage* Source);

  // The decoded pixels.
  const TBitmap& Bitmap() const { return *FBitmap; }

  void Draw(TCanvas& ACanvas, const TRect& R) const override;
  std::unique_ptr<TGraphic> Clone() const override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
};
