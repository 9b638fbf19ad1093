#include "platform/gfx/Picture.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/FileBytes.h"
#include "platform/gfx/GraphicsError.h"
#include "platform/gfx/JPEGImage.h"
#include "platform/gfx/Resources.h"

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Hold(std::unique_ptr<TGraphic> AGraphic) {
  FGraphic = std::move(AGraphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(const TGraphic* AGraphic) {
  if (AGraphic == FGraphic.get() && AGraphic) return;
  Hold(AGraphic ? AGraphic->Clone() : nullptr);
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  Hold(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromData(std::span<const uint8_t> Data) {
  if (Data.size() >= 2 && Data[0] == 0xFF && Data[1] == 0xD8) {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromData(Data);
    Hold(std::move(jpeg));
  } else if (Data.size() >= 2 && Data[0] == 'B' && Data[1] == 'M') {
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromBMPData(Data);
    Hold(std::move(bmp));
  } else {
    throw EInvalidGraphic("Unknown picture format");
  }
}

void TPicture::LoadFromFile(const std::string& FileName) { LoadFromData(ReadFileBytes(FileName)); }

void TPicture::LoadFromResourceName(std::string_view Name) { LoadFromData(EmbeddedResource(Name)); }

void TPicture::Assign(const TPicture* Source) {
  if (Source == this) return;
  SetGraphic(Source ? Source->FGraphic.get() : nullptr);
}
