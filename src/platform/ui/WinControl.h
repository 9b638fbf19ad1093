#pragma once
#include <memory>
#include <vector>

#include "platform/ui/Control.h"

class TCanvas;

// A control that holds other controls (a window of its own in the framework's sense).
//
// Children are kept in stacking order, the last one on top; windowless children are always
// beneath windowed ones, as the platform's windows would be. Each windowed control keeps its
// own invalid area (rectangles in its client coordinates); Update paints it now, and the
// form's pass paints every pending area, parents before children. Windowed controls stacked
// above the one painted (its siblings or its parents' siblings) that meet the area are
// painted again over it, so they stay on top.
//
// Painting an area: PaintWindow (the control's own background, by default a fill with its
// Color), then every windowless child that meets the area, in stacking order, then the
// windowed children that meet it. Painting errors of one child do not stop the others: the
// first error is raised again when the area is done.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  using TControl::AsWinControl;
  TWinControl* AsWinControl() override { return this; }

  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int index) const { return FControls[size_t(index)]; }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void BringToFront(TControl* AControl);
  void SendToBack(TControl* AControl);
  // The deepest visible child under a point of the client area; nullptr when none.
  TControl* ControlAtPos(TPoint P) const;

  // True when the control reaches a surface: its top parent is on a window.
  virtual bool HandleAllocated() const;

  // The invalid area, in client coordinates.
  void InvalidateRect(const TRect& R);
  const std::vector<TRect>& InvalidArea() const { return FInvalid; }
  void Invalidate() override;
  void Repaint() override;
  void Update() override;

  // Paints the part R (client coordinates) of the control now.
  void PaintArea(const TRect& R);
  // Paints, clipped to Clip (surface coordinates), the windowless children from First
  // (or all when First is nullptr) upwards, then the windowed children meeting Clip.
  void PaintControls(const TRect& Clip, TControl* First);

  TCanvas* Canvas() const { return FCanvas.get(); }

  // Lays the aligned children out in the client area, as AdjustClientRect narrows it.
  virtual void AlignControls();

  void CMColorChanged() override;
  void CMFontChanged() override;
  void CMSysColorChange() override;
  void CMParentColorChanged() override;
  void CMParentFontChanged() override;
  void Loaded() override;

 protected:
  // The control's own background within DC's clip: a fill with Color.
  virtual void PaintWindow(const TPaintDC& DC);
  // The part of the client area (client coordinates) that aligned children share.
  virtual void AdjustClientRect(TRect& R) const { (void)R; }
  // The root's surface and dirty-area bookkeeping; a form provides them.
  virtual TPaintDC RootDC() const { return TPaintDC{}; }
  virtual void MarkPainted(const TRect& SurfaceRect) { (void)SurfaceRect; }
  // A child (or a descendant) leaves: forget any reference to it.
  virtual void ControlRemoving(TControl* AControl) { (void)AControl; }
  void Resize() override;

  TWinControl* Root();
  const TWinControl* Root() const;
  // Paints what is pending here and in every windowed descendant, parents first.
  void PaintPendingTree();

 private:
  friend class TControl;
  void ChildBoundsChanged(TControl* AControl);
  void PaintChild(TControl* c, const TRect& clip);
  void RepaintAboveInAncestors(const TRect& surfaceRect);

  std::vector<TControl*> FControls;
  std::vector<TRect> FInvalid;
  std::unique_ptr<TCanvas> FCanvas;
  bool FAligning = false;
};

// The windowed control whose children include C, up to the top.
bool IsAncestorOf(const TControl* Ancestor, const TControl* C);
