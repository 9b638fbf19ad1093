#include "platform/gfx/Bitmap.h"

#include "platform/gfx/BmpDecoder.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/FileBytes.h"
#include "platform/gfx/GraphicsError.h"
#include "platform/gfx/JPEGImage.h"
#include "platform/gfx/Resources.h"

namespace {

// Far beyond any window or picture of the program; refusing it keeps a bad size from
// exhausting memory.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

}  // namespace

TBitmap::TBitmap() : FCanvas(std::make_unique<TCanvas>()) { FCanvas->SetTarget(this, TPoint{}, TRect{}); }

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() { Resize(AWidth, AHeight); }

TBitmap::~TBitmap() = default;

void TBitmap::Resize(int AWidth, int AHeight) {
  AWidth = AWidth < 0 ? 0 : AWidth;
  AHeight = AHeight < 0 ? 0 : AHeight;
  if ((long long)AWidth * AHeight > kMaxPixels)
    throw EInvalidGraphic("Bitmap too large: " + std::to_string(AWidth) + " x " + std::to_string(AHeight));
  FPixels.assign(size_t(AWidth) * size_t(AHeight), 0);
  FWidth = AWidth;
  FHeight = AHeight;
  FCanvas->SetTarget(this, TPoint{}, Rect(0, 0, FWidth, FHeight));
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  Resize(AWidth, AHeight);
  Changed();
}

void TBitmap::SetPixels(int AWidth, int AHeight, std::vector<uint32_t>&& APixels) {
  if (AWidth < 0 || AHeight < 0 || APixels.size() != size_t(AWidth) * size_t(AHeight))
    throw EInvalidGraphic("Pixel count does not match the bitmap size");
  FPixels = std::move(APixels);
  FWidth = AWidth;
  FHeight = AHeight;
  FCanvas->SetTarget(this, TPoint{}, Rect(0, 0, FWidth, FHeight));
  Changed();
}

TColor TBitmap::PixelColor(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clNone;
  return PixelToColor(ScanLine(y)[x]);
}

void TBitmap::Assign(const TGraphic* Source) {
  if (Source == this) return;
  const TBitmap* src = dynamic_cast<const TBitmap*>(Source);
  if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(Source)) src = &jpeg->Bitmap();
  if (!src) {
    if (Empty()) return;  // nothing into nothing is no change
    SetPixels(0, 0, {});
    return;
  }
  SetPixels(src->FWidth, src->FHeight, std::vector<uint32_t>(src->FPixels));
}

TColor TBitmap::TransparentColor() const { return Empty() ? clNone : PixelColor(0, FHeight - 1); }

void TBitmap::LoadFromResourceName(std::string_view Name) { LoadFromBMPData(EmbeddedResource(Name)); }

void TBitmap::LoadFromBMPData(std::span<const uint8_t> Data) {
  TRawImage img = DecodeBMP(Data);
  SetPixels(img.Width, img.Height, std::move(img.Pixels));
}

void TBitmap::LoadFromFile(const std::string& FileName) {
  LoadFromBMPData(ReadFileBytes(FileName));
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(this);
  return copy;
}
