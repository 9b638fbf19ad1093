#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gfx/Color.h"
#include "platform/gfx/Types.h"
#include "platform/ui/Component.h"
#include "platform/ui/ControlStyle.h"
#include "platform/ui/PaintDC.h"

class TFont;
class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

using TMouseMoveEvent = std::function<void(TObject* Sender, int X, int Y)>;

// A visual component placed on a parent window (user-interface thread only).
//
// Bounds are in the parent's client coordinates. While the component is loading (a form's
// design being applied) setters only store: nothing is aligned, auto-sized or painted until
// Loaded. A control created with a loading owner starts loading too.
//
// Painting: Invalidate marks the control's area of the parent for the next pass of the loop,
// where the parent paints its background and every control meeting the area in stacking
// order. Repaint paints now: an opaque control (csOpaque) paints itself and the controls
// stacked above it, clipped to its bounds, with nothing beneath it repainted; any other control
// marks its area and has the parent paint what is pending at once. Neither does anything while
// the control is hidden (outside design mode) or has no parent on a window.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // Moves and sizes the control. With AutoSize on (and not loading) the control's answer to
  // ProposeAutoSize decides the size. A real change invalidates the old and the new area.
  // The windowed control this is, or nullptr: a paint walks every child, and asking the
  // type system each time cost more than the walk.
  virtual TWinControl* AsWinControl() { return nullptr; }
  const TWinControl* AsWinControl() const { return const_cast<TControl*>(this)->AsWinControl(); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

  // The auto-size query: may change the proposed size; true accepts it.
  virtual bool ProposeAutoSize(int& NewWidth, int& NewHeight);

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  TColor Color() const { return FColor; }
  void SetColor(TColor value);  // makes ParentColor false
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* value);  // copies; a font changed makes ParentFont false
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool value);
  const TControlStyle& ControlStyle() const { return FControlStyle; }
  void SetControlStyle(const TControlStyle& value) { FControlStyle = value; }

  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }
  // Visible, or being designed (a designer shows hidden controls too).
  bool ShownOrDesigned() const { return FVisible || IsDesigning(); }
  // The control and all its parents are visible and the top one is on a window.
  bool Showing() const;

  virtual void Invalidate();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  // Paints what is pending on the parent now.
  virtual void Update();

  // Where the control's (0, 0) lies on the window's surface.
  TPoint SurfaceOrigin() const;
  // The part of the surface the control may paint: its bounds cut by every parent's.
  TRect SurfaceBounds() const;

  // The paint request. Without a device context (nullptr) it paints nothing.
  virtual void PaintRequest(const TPaintDC* DC) { (void)DC; }

  // Notifications from the framework. The defaults: a font or colour change invalidates the
  // control, a caption change does nothing, a system-colour change invalidates a control
  // whose colour is a system colour.
  virtual void CMMouseEnter() {}
  virtual void CMMouseLeave() {}
  virtual void CMFontChanged();
  virtual void CMTextChanged() {}
  virtual void CMColorChanged();
  virtual void CMSysColorChange();
  virtual void CMVisibleChanged();
  virtual void CMParentColorChanged();
  virtual void CMParentFontChanged();

  // Mouse input in client coordinates, from the form's input dispatch.
  virtual void MouseDown(int X, int Y);
  virtual void MouseMove(int X, int Y);
  virtual void MouseUp(int X, int Y);
  virtual void Click();
  TMouseMoveEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseMoveEvent OnMouseUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnResize;

  void Loaded() override;

 protected:
  // The control's area of the parent marked for painting; also while it is being hidden.
  void InvalidateControl(bool IsVisible);
  virtual void Resize();
  TControlStyle FControlStyle;
  bool FVisible = true;

 private:
  friend class TWinControl;
  void FontChangeHandler();

  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TWinControl* FParent = nullptr;
  TColor FColor;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FTakingParentFont = false;
  std::string FCaption;
  TAlign FAlign = alNone;
  bool FAutoSize = false;
};
