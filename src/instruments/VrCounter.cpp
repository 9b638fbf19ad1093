#include "instruments/VrCounter.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// No strip a counter draws needs to be wider than this; it keeps absurd settings finite.
constexpr int64_t kMaxStripWidth = 1 << 15;

}  // namespace

TVrCounter::TVrCounter(TComponent* AOwner)
    : TVrGraphicImageControl(AOwner), FBitmap(std::make_unique<TBitmap>()), FDigitStrip(std::make_unique<TBitmap>()) {
  MarkOpaque(true);
  SetDrawsInPlace(true);
  SetBounds(Left(), Top(), 150, 25);
  SetColor(clBtnFace);
  SetParentColor(false);
  FBitmap->OnChange = [this](TObject*) { BitmapChanged(); };
  LoadDefaultBitmap();
}

TVrCounter::~TVrCounter() { FBitmap->OnChange = nullptr; }

void TVrCounter::SetValue(TVrCounterValue value) {
  if (FValue == value) return;
  FValue = value;
  UpdateControl();
  FireChange();
}

void TVrCounter::SetDigits(TVrCounterDigits value) {
  if (FDigits == value) return;
  FDigits = value;
  UpdateDigitMetrics();
}

void TVrCounter::SetSpacing(int32_t value) {
  if (FSpacing == value) return;
  FSpacing = value;
  UpdateDigitMetrics();
}

void TVrCounter::SetStretch(bool value) {
  if (FStretch == value) return;
  FStretch = value;
  UpdateControl();
}

void TVrCounter::SetBitmap(const TBitmap* value) {
  if (value == FBitmap.get()) {
    BitmapChanged();
    return;
  }
  const unsigned before = FBitmapChanges;
  FBitmap->Assign(value);
  // Emptying an empty bitmap may tell nobody: look at it here then.
  if (FBitmapChanges == before) BitmapChanged();
}

void TVrCounter::FireChange() {
  if (OnChange) OnChange(this);
}

void TVrCounter::LoadDefaultBitmap() {
  try {
    FBitmap->LoadFromResourceName("BMCOUNTER");
  } catch (const std::exception&) {
    // No built-in strip: the counter stays empty and draws no cells.
    UpdateDigitMetrics();
  }
}

void TVrCounter::BitmapChanged() {
  ++FBitmapChanges;
  if (FBitmap->Empty()) {
    LoadDefaultBitmap();
    if (!FBitmap->Empty()) return;  // loading raised the change that measured it
  }
  UpdateDigitMetrics();
}

void TVrCounter::UpdateDigitMetrics() {
  FDigitWidth = FBitmap->Width() / 10;
  FDigitHeight = FBitmap->Height();
  const int64_t width = (int64_t(FDigits) - 1) * FSpacing + int64_t(FDigits) * FDigitWidth;
  FDigitStrip->SetSize(int(std::clamp<int64_t>(width, 0, kMaxStripWidth)), FBitmap->Height());
  AdjustSizeAndUpdate();
}

bool TVrCounter::ProposeAutoSize(int& NewWidth, int& NewHeight) {
  const TAlign a = Align();
  if ((a == alNone || a == alLeft || a == alRight) && FDigitStrip->Width() > 0) NewWidth = FDigitStrip->Width();
  if ((a == alNone || a == alTop || a == alBottom) && FDigitStrip->Height() > 0) NewHeight = FDigitStrip->Height();
  return true;
}

void TVrCounter::Paint() {
  // The strip is built before the image is touched: the counter draws in place, and only
  // building it can fail.
  TCanvas* strip = FDigitStrip->Canvas();
  strip->Brush()->SetStyle(bsSolid);
  strip->Brush()->SetColor(Color());
  strip->FillRect(BitmapBounds(*FDigitStrip));
  if (!FBitmap->Empty() && FDigitWidth > 0) {
    // The strip has no minus sign: a negative value shows its digits alone.
    const int64_t shown = std::llabs(int64_t(FValue));
    // The digits zero-padded to the counter's length, as "%.<digits>d" writes them.
    std::string text = std::to_string(shown);
    if (text.size() < FDigits) text.insert(0, FDigits - text.size(), '0');
    int64_t x = 0;
    for (char ch : text) {
      if (x >= FDigitStrip->Width()) break;  // cells past the row's end are clipped away
      const int d = ch - '0';
      strip->BrushCopy(Bounds(int(x), 0, FDigitWidth, FDigitHeight), *FBitmap,
                       Bounds(d * FDigitWidth, 0, FDigitWidth, FDigitHeight), Color());
      x += int64_t(FDigitWidth) + FSpacing;
      if (x < 0) break;  // a negative spacing walks left of the row
    }
  }
  PrepareImage();
  TCanvas* image = ImageCanvas();
  image->Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
  TRect dest;
  if (FStretch && !AutoSize())
    dest = ClientRect();
  else
    dest = Bounds((Width() - FDigitStrip->Width()) / 2, (Height() - FDigitStrip->Height()) / 2, FDigitStrip->Width(),
                  FDigitStrip->Height());
  image->BrushCopy(dest, *FDigitStrip, BitmapBounds(*FDigitStrip), Color());
  DrawDesignFrame(image);
  TVrGraphicImageControl::Paint();
}
