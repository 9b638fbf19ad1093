#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "instruments/VrClasses.h"
#include "instruments/VrControls.h"

enum TVrDigitSegment : uint8_t { seg1, seg2, seg3, seg4, seg5, seg6, seg7, seg8 };

// A set of segments: bit i for the segment of ordinal i, the same byte as BinaryValue.
class TVrDigitSegments {
 public:
  TVrDigitSegments() = default;
  TVrDigitSegments(std::initializer_list<TVrDigitSegment> segments) {
    for (TVrDigitSegment s : segments) Include(s);
  }
  static TVrDigitSegments FromByte(uint8_t bits) {
    TVrDigitSegments s;
    s.FBits = bits;
    return s;
  }
  uint8_t Byte() const { return FBits; }
  bool Contains(TVrDigitSegment s) const { return FBits & (1u << s); }
  void Include(TVrDigitSegment s) { FBits = uint8_t(FBits | (1u << s)); }
  void Exclude(TVrDigitSegment s) { FBits = uint8_t(FBits & ~(1u << s)); }
  friend bool operator==(const TVrDigitSegments&, const TVrDigitSegments&) = default;

 private:
  uint8_t FBits = 0;
};

// The segment bytes of the digits 0 to 9.
constexpr std::array<uint8_t, 10> DigitPatterns = {0x7D, 0x50, 0x37, 0x57, 0x5A, 0x4F, 0x6F, 0x51, 0x7F, 0x5F};

// The outline of one segment of a digit drawn in Bounds (its top-left corner is the
// origin): six corners for a bar, four for the decimal point's rectangle (right and bottom
// exclusive, as the rectangle primitive takes them).
struct TVrSegmentShape {
  std::array<TPoint, 6> Points{};
  int Count = 0;
};
TVrSegmentShape SegmentShape(TVrDigitSegment Segment, int Width, int Height);

// Paints a seven-segment digit with its decimal point: lit segments in Palette's High, unlit
// ones in its Low (left out when ActiveOnly), each outlined in OutlineColor. Changes nothing
// on ACanvas but its pixels, pen colour and brush colour.
void DrawSegments(TCanvas* ACanvas, const TRect& ClientRect, const TVrPalette& Palette, TColor OutlineColor,
                  uint8_t Segments, bool ActiveOnly, bool ShowDecimal);

// One seven-segment digit with a decimal point.
class TVrDigit : public TVrGraphicImageControl {
 public:
  explicit TVrDigit(TComponent* AOwner);
  ~TVrDigit() override;

  uint8_t BinaryValue() const { return FBinaryValue; }
  void SetBinaryValue(uint8_t value);
  TVrDigitSegments Segments() const { return FSegments; }
  void SetSegments(TVrDigitSegments value);
  bool ShowDecimal() const { return FShowDecimal; }
  void SetShowDecimal(bool value);
  uint8_t DigitIndex() const { return FDigitIndex; }
  TVrPalette* Palette() const { return FPalette.get(); }
  void SetPalette(const TVrPalette* value);
  bool ActiveOnly() const { return FActiveOnly; }
  void SetActiveOnly(bool value);
  TColor OutlineColor() const { return FOutlineColor; }
  void SetOutlineColor(TColor value);

  TNotifyEvent OnChange;

 protected:
  virtual void FireChange();
  void Paint() override;

 private:
  uint8_t FBinaryValue = DigitPatterns[0];
  uint8_t FDigitIndex = 0;
  TVrDigitSegments FSegments = TVrDigitSegments::FromByte(DigitPatterns[0]);
  bool FShowDecimal = false;
  std::unique_ptr<TVrPalette> FPalette;
  bool FActiveOnly = false;
  TColor FOutlineColor = clBlack;
};
