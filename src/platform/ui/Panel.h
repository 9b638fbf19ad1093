#pragma once
#include "platform/ui/Alignment.h"
#include "platform/ui/WinControl.h"

// How a bevel edge looks: none, sunk, raised, or a blank band of the panel's colour.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A windowed control that groups others on a plain face.
//
// From the outside in: the outer bevel (BevelWidth wide), a band of BorderWidth in the
// panel's colour, the inner bevel, then the face filled with Color and the caption centred
// on one line in the panel's font. Children are painted over all of it. Aligned children
// are laid out inside the bevels and the border.
//
// Defaults: raised outer bevel, no inner bevel, bevel width 1, border width 0, colour
// clBtnFace, no caption, caption centred.
class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);

  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);  // at least 1
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);  // at least 0
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  void CMTextChanged() override;

 protected:
  void PaintWindow(const TPaintDC& DC) override;
  void AdjustClientRect(TRect& R) const override;

 private:
  // How far the edges take the face in from each side.
  int EdgeWidth() const;
  void EdgesChanged();

  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};
