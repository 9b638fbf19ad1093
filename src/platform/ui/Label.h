#pragma once
#include "platform/gfx/TextFormat.h"
#include "platform/ui/Alignment.h"
#include "platform/ui/GraphicControl.h"

// A windowless control showing its caption on one line in its font.
//
// With AutoSize (the default) the label takes the size of its caption in its font, keeping
// its left edge (its right edge when right-justified). An empty caption measures as one
// blank, so an empty label keeps the height of a line of text and a blank's width: it stays
// where the design put it and shows its text there as soon as it gets one.
//
// Transparent leaves what lies beneath showing between the glyphs; otherwise the label
// fills its area with Color first (and is opaque then). A label follows its parent's colour
// and font until it is given its own. Changing the caption or the font resizes and repaints
// it; with ShowAccelChar (the default) "&x" underlines x and "&&" shows one "&".
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);

  bool ProposeAutoSize(int& NewWidth, int& NewHeight) override;
  void CMTextChanged() override;
  void CMFontChanged() override;

 protected:
  void Paint() override;

 private:
  TTextFormat TextFormat() const;
  // Re-applies the bounds so that an auto-sized label takes its caption's size.
  void AdjustBounds();

  bool FTransparent = false;
  TAlignment FAlignment = taLeftJustify;
  bool FShowAccelChar = true;
};
