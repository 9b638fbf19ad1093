#include "platform/gfx/Font.h"

#include <cmath>

#include "platform/gfx/FontFace.h"

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Changed() {
  FFace = nullptr;
  if (OnChange) OnChange(this);
}

bool TFont::SameAs(const TFont& Other) const {
  return FName == Other.FName && FHeight == Other.FHeight && FColor == Other.FColor && FStyle == Other.FStyle;
}

void TFont::Assign(const TFont& Source) {
  if (&Source == this || SameAs(Source)) return;
  FName = Source.FName;
  FHeight = Source.FHeight;
  FColor = Source.FColor;
  FStyle = Source.FStyle;
  Changed();
}

void TFont::SetName(const std::string& value) {
  if (value.empty() || value == FName) return;  // a font always names a family
  FName = value;
  Changed();
}

void TFont::SetHeight(int value) {
  if (value == FHeight) return;
  FHeight = value;
  Changed();
}

// Points at 96 pixels per inch, rounded as the classic conversion does (8 pt is 11 px).
int TFont::Size() const { return -int(std::lround(FHeight * 72.0 / 96.0)); }
void TFont::SetSize(int value) { SetHeight(-int(std::lround(value * 96.0 / 72.0))); }

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  if (OnChange) OnChange(this);  // the face stays: colour is not part of it
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Changed();
}

TFontFace& TFont::Face() const {
  if (!FFace) FFace = &TFontFace::Get(FName, FHeight, FStyle.Contains(fsBold), FStyle.Contains(fsItalic));
  return *FFace;
}
