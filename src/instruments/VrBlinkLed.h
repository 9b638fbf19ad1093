#pragma once
#include <cstdint>
#include <memory>

#include "instruments/VrClasses.h"
#include "instruments/VrControls.h"

class TTimer;

enum TVrBlinkLedType : uint8_t { ltRounded, ltRectangle, ltLargeRect };

// An indicator lamp with an optional caption. While EnableBlinking is set, a timer on the
// user-interface thread switches it between the High (lit) and Low (dark) colour of the
// chosen palette every BlinkSpeed milliseconds and fires OnChange at each switch.
class TVrCustomBlinkLed : public TVrGraphicImageControl {
 public:
  explicit TVrCustomBlinkLed(TComponent* AOwner);
  ~TVrCustomBlinkLed() override;

  TVrPalette* Palette1() const { return FPalettes[0].get(); }
  TVrPalette* Palette2() const { return FPalettes[1].get(); }
  TVrPalette* Palette3() const { return FPalettes[2].get(); }
  TVrPalette* Palette4() const { return FPalettes[3].get(); }
  void SetPalette1(const TVrPalette* value) { SetPalette(0, value); }
  void SetPalette2(const TVrPalette* value) { SetPalette(1, value); }
  void SetPalette3(const TVrPalette* value) { SetPalette(2, value); }
  void SetPalette4(const TVrPalette* value) { SetPalette(3, value); }
  TVrBlinkLedType BlinkLedType() const { return FBlinkLedType; }
  void SetBlinkLedType(TVrBlinkLedType value);
  TVrImageTextLayout Layout() const { return FLayout; }
  void SetLayout(TVrImageTextLayout value);
  int32_t Margin() const { return FMargin; }
  void SetMargin(int32_t value);
  int32_t Spacing() const { return FSpacing; }
  void SetSpacing(int32_t value);
  // 1 to 4: which palette the lamp uses; anything else raises EVrException.
  uint8_t ColorIndex() const { return FColorIndex; }
  void SetColorIndex(uint8_t value);
  // Stored as given, and given to the timer; the phase stays as it is.
  bool EnableBlinking() const { return FEnableBlinking; }
  void SetEnableBlinking(bool value);
  // Milliseconds of one phase; 0 (or less) stops the ticks.
  int32_t BlinkSpeed() const { return FBlinkSpeed; }
  void SetBlinkSpeed(int32_t value);

  bool Dark() const { return FDark; }
  void SetDark(bool value);
  TColor CurrentColor() const;
  const TRect& ImageRect() const { return FImageRect; }
  const TRect& TextRect() const { return FTextRect; }
  TTimer* Timer() const { return FTimer.get(); }

  TNotifyEvent OnChange;

  void CMTextChanged() override;
  void CMSysColorChange() override;

 protected:
  virtual void FireChange();
  void Paint() override;
  void CalcLayout();
  void TimerTick();

 private:
  void SetPalette(int index, const TVrPalette* value);
  void DrawRoundLamp();
  void DrawRectLamp();
  void DrawCaption();

  bool FEnableBlinking = false;
  std::unique_ptr<TTimer> FTimer;
  int32_t FBlinkSpeed = 500;
  TVrBlinkLedType FBlinkLedType = ltRounded;
  std::unique_ptr<TVrPalette> FPalettes[4];
  bool FDark = false;
  int32_t FSpacing = 3;
  int32_t FMargin = 2;
  TVrImageTextLayout FLayout = ImageLeft;
  TRect FImageRect;
  TRect FTextRect;
  uint8_t FColorIndex = 1;
};

class TVrBlinkLed : public TVrCustomBlinkLed {
 public:
  using TVrCustomBlinkLed::TVrCustomBlinkLed;
};
