#include "platform/gfx/JPEGImage.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/FileBytes.h"
#include "platform/gfx/JpegDecoder.h"
#include "platform/gfx/Resources.h"

TJPEGImage::TJPEGImage() : FBitmap(std::make_unique<TBitmap>()) {}
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromData(std::span<const uint8_t> Data) {
  TRawImage img = DecodeJPEG(Data);  // decoded first, so a failure leaves the picture as it was
  FBitmap->SetPixels(img.Width, img.Height, std::move(img.Pixels));
  Changed();
}

void TJPEGImage::LoadFromFile(const std::string& FileName) { LoadFromData(ReadFileBytes(FileName)); }

void TJPEGImage::LoadFromResourceName(std::string_view Name) { LoadFromData(EmbeddedResource(Name)); }

void TJPEGImage::Assign(const TJPEGImage* Source) {
  if (Source == this) return;
  FBitmap->Assign(Source ? Source->FBitmap.get() : nullptr);
  Changed();
}

void TJPEGImage::Draw(TCanvas& ACanvas, const TRect& R) const { FBitmap->Draw(ACanvas, R); }

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
  auto copy = std::make_unique<TJPEGImage>();
  copy->Assign(this);
  return copy;
}
