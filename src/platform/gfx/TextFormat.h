#pragma once
#include <cstdint>
#include <initializer_list>

// Options of TCanvas::DrawText. Left and top alignment are the defaults.
//   tfSingleLine      line breaks are drawn as nothing; tfVerticalCenter and tfBottom need it
//   tfNoPrefix        "&" is drawn as it is; without it "&x" underlines x and "&&" is one "&"
//   tfNoClip          the text is not clipped to the rectangle
//   tfCalcRect        nothing is drawn: the rectangle is set to the text's extent, one line
//                     per line break (no word wrapping)
enum TTextFormatFlag {
  tfBottom,
  tfCalcRect,
  tfCenter,
  tfLeft,
  tfNoClip,
  tfNoPrefix,
  tfRight,
  tfSingleLine,
  tfTop,
  tfVerticalCenter,
};

// A set of text format flags, bit n for the flag of ordinal n.
class TTextFormat {
 public:
  TTextFormat() = default;
  TTextFormat(std::initializer_list<TTextFormatFlag> flags) {
    for (TTextFormatFlag f : flags) Include(f);
  }
  bool Contains(TTextFormatFlag f) const { return FBits & (1u << f); }
  void Include(TTextFormatFlag f) { FBits |= 1u << f; }
  void Exclude(TTextFormatFlag f) { FBits &= ~(1u << f); }
  friend bool operator==(const TTextFormat&, const TTextFormat&) = default;

 private:
  uint32_t FBits = 0;
};
