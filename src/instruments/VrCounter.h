#pragma once
#include <cstdint>
#include <memory>

#include "instruments/VrControls.h"

using TVrCounterValue = int32_t;   // meant to be 0..2147483647
using TVrCounterDigits = uint8_t;  // 1..10

// A number shown as a row of digit pictures cut from a strip of ten equal cells (0 to 9),
// zero-padded to at least Digits characters, centred on the control or stretched over it.
// A negative Value shows the digits of its absolute value: the strip has no minus sign, and
// the window lays a separate sign digit over the counter.
class TVrCounter : public TVrGraphicImageControl {
 public:
  explicit TVrCounter(TComponent* AOwner);
  ~TVrCounter() override;

  TVrCounterValue Value() const { return FValue; }
  void SetValue(TVrCounterValue value);
  TVrCounterDigits Digits() const { return FDigits; }
  void SetDigits(TVrCounterDigits value);
  // The glyph strip. Assigning copies the picture; an empty one (or none) brings back the
  // built-in strip "BMCOUNTER".
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(const TBitmap* value);
  int32_t Spacing() const { return FSpacing; }
  void SetSpacing(int32_t value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  int32_t DigitWidth() const { return FDigitWidth; }
  int32_t DigitHeight() const { return FDigitHeight; }
  // The composed row of cells.
  TBitmap* DigitStrip() const { return FDigitStrip.get(); }

  TNotifyEvent OnChange;

  bool ProposeAutoSize(int& NewWidth, int& NewHeight) override;
  void UpdateDigitMetrics();

 protected:
  virtual void FireChange();
  void Paint() override;

 private:
  void LoadDefaultBitmap();
  void BitmapChanged();

  TVrCounterValue FValue = 0;
  TVrCounterDigits FDigits = 6;
  std::unique_ptr<TBitmap> FBitmap;
  int32_t FSpacing = 0;
  int32_t FDigitWidth = 0;
  int32_t FDigitHeight = 0;
  bool FStretch = false;
  std::unique_ptr<TBitmap> FDigitStrip;
  unsigned FBitmapChanges = 0;
};
