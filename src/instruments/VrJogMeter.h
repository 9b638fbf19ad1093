#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "instruments/VrClasses.h"
#include "instruments/VrControls.h"
#include "instruments/vrTypemeter.h"

// The graduation of a jog meter: long, labelled ticks at every multiple of Step, short ones
// every SmallStep, over a window of Apperture value units.
class TVrJogMeterScale : public TVrPersistent {
 public:
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int32_t Decimals() const { return FDecimals; }
  void SetDecimals(int32_t value);
  // A label's pattern; its single string placeholder receives the number text.
  const std::string& FormatText() const { return FFormatText; }
  void SetFormatText(const std::string& value);
  double Apperture() const { return FApperture; }
  void SetApperture(double value);
  TVrPosition Position() const { return FPosition; }
  void SetPosition(TVrPosition value);
  double Step() const { return FStep; }
  void SetStep(double value);
  double SmallStep() const { return FSmallStep; }
  void SetSmallStep(double value);
  int32_t HeightMax() const { return FHeightMax; }
  void SetHeightMax(int32_t value);
  int32_t HeightMin() const { return FHeightMin; }
  void SetHeightMin(int32_t value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);

  // Copies every setting from another scale, with one notification.
  void Assign(const TPersistent* Source) override;

 private:
  friend class TVrJogMeter;  // its constructor stores the colour without notifying
  TColor FColor = clNavy;
  double FStep = 10.0;
  std::string FFormatText = "%s";
  double FApperture = 100.0;
  double FSmallStep = 1.0;
  int32_t FHeightMax = 8;
  int32_t FHeightMin = 5;
  bool FVisible = true;
  TVrPosition FPosition = voAfter;
  int32_t FDecimals = 0;
};

// The value a jog meter shows and the look of its fixed indicator.
class TVrLiniarIndicator : public TVrPersistent {
 public:
  TVrLiniarIndicator();
  ~TVrLiniarIndicator() override;

  double Value() const { return FValue; }
  void SetValue(double value);
  // The picture of the voBitmap shape; an empty one is replaced by the "TIWPIN" pin.
  TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(const TBitmap* value);
  TvrIndicatorShape Shape() const { return FShape; }
  void SetShape(TvrIndicatorShape value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);

  // Copies value, picture, shape, colour and visibility from another indicator.
  void Assign(const TPersistent* Source) override;

 private:
  friend class TVrJogMeter;
  void LoadDefaultGlyph();
  void GlyphChanged();

  double FValue = 0.0;
  std::unique_ptr<TBitmap> FBitmap;
  TvrIndicatorShape FShape = voBitmap;
  TColor FColor = clBlue;
  bool FVisible = true;
};

// A linear moving-scale instrument: the indicator stays in the middle and the scale slides
// beneath it, so that Value.Value always lies under the indicator. Opaque: a new value
// repaints the meter at once without the parent painting beneath it.
class TVrJogMeter : public TVrGraphicImageControl {
 public:
  explicit TVrJogMeter(TComponent* AOwner);
  ~TVrJogMeter() override;

  // Changing it on a live meter swaps width and height.
  TVrDirection Direction() const { return FDirection; }
  void SetDirection(TVrDirection value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool value);
  TVrJogMeterScale* Scale() const { return FScale.get(); }
  void SetScale(const TVrJogMeterScale* value);  // copies the settings
  TVrLiniarIndicator* Value() const { return FValue.get(); }
  void SetValue(const TVrLiniarIndicator* value);  // copies the settings
  TColor FromColor() const { return FFromColor; }
  void SetFromColor(TColor value);
  TColor ToColor() const { return FToColor; }
  void SetToColor(TColor value);

 protected:
  // One tick of a series: its index i and its pixel along the scale.
  struct TTick {
    int Index;
    int Pixel;
  };
  struct TLabel {
    std::string Text;
    TRect Rect;
  };
  // The ticks of the series of step D that fall on the meter, in order.
  std::vector<TTick> TickSeries(double D) const;
  void ListTicks(double D, std::vector<TTick>& Ticks) const;  // into Ticks, reusing it
  // The labels of the long ticks with the rectangles they are drawn into, measured in the
  // meter's font on ACanvas.
  std::vector<TLabel> LabelLayout(TCanvas* ACanvas) const;
  void LayOutLabels(TCanvas* ACanvas, std::vector<TLabel>& Labels) const;  // into Labels, reusing it
  std::string FormatLabel(double X) const;
  int ValueToPixel(double Offset) const;
  int ScaleLength() const;

  void Paint() override;
  void PrepareImage() override;
  void DrawBackground();
  void CalcBaseline();
  void DrawMeterCaption();
  void DrawLabels();  // those laid out at the start of the paint
  void DrawTicks();
  void DrawIndicator();

  TRect LabelRect;
  int BaselineY = 0;
  int BaselineX = 0;

 private:
  void ScaleChanged();
  void ValueChanged();

  // What decides the pixels of the background gradient, colours as shown.
  struct TGradientKey {
    int Width = 0, Height = 0;
    TColor Base = 0, From = 0, To = 0;  // Base: the fill beneath, where no band reaches
    int Style = 0;
    bool operator==(const TGradientKey&) const = default;
  };

  TVrDirection FDirection = voHorizontal;
  std::vector<TLabel> FLabels;  // of the paint under way
  std::vector<TTick> FTicks;    // the series being drawn
  // The gradient as last painted, copied instead of painted again (hundreds of bands) while
  // its key holds.
  std::unique_ptr<TBitmap> FGradient;
  TGradientKey FGradientKey;
  bool FShowCaption = false;
  std::unique_ptr<TVrJogMeterScale> FScale;
  std::unique_ptr<TVrLiniarIndicator> FValue;
  TColor FFromColor = clBlack;
  TColor FToColor = clWhite;
};
