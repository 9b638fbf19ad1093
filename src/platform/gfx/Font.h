#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/gfx/Color.h"
#include "platform/rtl/Object.h"

class TFontFace;

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles, bit n for the style of ordinal n.
class TFontStyles {
 public:
  TFontStyles() = default;
  TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) Include(s);
  }
  bool Contains(TFontStyle s) const { return FBits & (1u << s); }
  void Include(TFontStyle s) { FBits |= 1u << s; }
  void Exclude(TFontStyle s) { FBits &= ~(1u << s); }
  friend bool operator==(const TFontStyles&, const TFontStyles&) = default;

 private:
  uint32_t FBits = 0;
};

// A font description: family name, height in pixels, colour and style.
//
// Height follows the classic rule: a negative height is the character height (the em size,
// -11 is "11 pixels"), a positive height is the cell height (ascent plus descent, the line
// a text occupies). Size is the same in points at 96 pixels per inch: Size 8 is Height -11.
// "MS Sans Serif", "Arial" and "Tahoma" resolve to installed stand-ins with Windows' metrics
// (MS Sans Serif is a bitmap font, drawn unsmoothed at its own size), other families through
// the system's font configuration; outline glyphs are rendered with grey-scale anti-aliasing.
// Glyphs are cached per face and size, shared by every font that resolves alike.
//
// Every setter that changes something calls OnChange with the font as sender; Assign calls
// it once. The default is "MS Sans Serif", Height -11, clWindowText, no style.
class TFont : public TObject {
 public:
  TFont();
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // Copies name, height, colour and style; notifies once when anything differed.
  void Assign(const TFont& Source);
  bool SameAs(const TFont& Other) const;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& value);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  int Size() const;
  void SetSize(int value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);

  TNotifyEvent OnChange;

  // The rendering face; looked up again after a change of name, height or style.
  TFontFace& Face() const;

 private:
  void Changed();

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  mutable TFontFace* FFace = nullptr;  // owned by the shared face cache
};
