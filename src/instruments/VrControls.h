#pragma once
#include <memory>
#include <string>

#include "instruments/VrSysUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/GraphicControl.h"

class TBitmap;
class TCanvas;

// The instrument controls' failure.
class EVrException : public Exception {
 public:
  using Exception::Exception;
};

// The cursor number under which the hand cursor is registered when the library starts.
constexpr int crVrHandPoint = 99;

// Base of the instrument controls: a windowless control whose every property setter ends in
// UpdateControl, which repaints it at once (nothing happens while it is loading).
class TVrGraphicControl : public TGraphicControl {
 public:
  explicit TVrGraphicControl(TComponent* AOwner);

  const std::string& Version() const { return FVersion; }
  void SetVersion(const std::string& value) { FVersion = value; }  // never written to form data

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnFontChanged;
  TNotifyEvent OnTextChanged;

  virtual void UpdateControl();
  // Re-applies the bounds so that an auto-sizing control takes its size, then repaints
  // (a size that changed has been invalidated already).
  virtual void AdjustSizeAndUpdate();
  virtual void ReapplyBoundsAndUpdate();

  void CMMouseEnter() override;
  void CMMouseLeave() override;
  void CMFontChanged() override;
  void CMTextChanged() override;

 protected:
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  virtual void DoFontChanged();
  virtual void DoTextChanged();
  // A dotted black outline of the control, only while it is being designed.
  void DrawDesignFrame(TCanvas* ACanvas);

 private:
  std::string FVersion = "1.3";
};

// An instrument control painted through an off-screen image. Descendants' Paint begins with
// PrepareImage, draws on ImageCanvas (or DrawCanvas) and ends with this class's Paint, which
// copies the image to the screen in one step, so that a paint that fails halfway shows
// nothing of what it drew.
//
// A descendant whose Paint can fail only before it draws anything may ask to draw in place
// (SetDrawsInPlace): during a paint request its image canvas then looks straight at the
// surface being painted, through the control's origin and clipped to its bounds and to the
// area painted, and Paint copies nothing. Every paint covers the whole image (PrepareImage
// fills it or restores the background into it), so the same pixels land where the copy would
// have put them, without building the image first; the image bitmap then holds no picture.
//
// Transparent mode shows what lies beneath: the picture the parent drew there is captured
// when the parent really painted (the capturing state, not opaque) and reused while only the
// control's own content changes (the reusing state, marked opaque, so that the repaint does
// not ask the parent to paint beneath).
class TVrGraphicImageControl : public TVrGraphicControl {
 public:
  explicit TVrGraphicImageControl(TComponent* AOwner);
  ~TVrGraphicImageControl() override;

  TBitmap* ImageBitmap() const { return FImageBitmap.get(); }
  TBitmap* BackgroundBitmap() const { return FBackgroundBitmap.get(); }
  TCanvas* ImageCanvas() const;
  TCanvas* DrawCanvas() const { return FDrawCanvas; }
  void SetDrawCanvas(TCanvas* value) { FDrawCanvas = value; }
  bool NeedBackground() const { return FNeedBackground; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  void UpdateControl() override;
  void PaintRequest(const TPaintDC* DC) override;

 protected:
  virtual void PrepareImage();
  void CaptureBackground();
  void RestoreBackground();
  void Paint() override;
  void MarkOpaque(bool value);
  void SetDrawsInPlace(bool value) { FDrawsInPlace = value; }

 private:
  void ResumeCapturing();

  std::unique_ptr<TBitmap> FBackgroundBitmap;
  std::unique_ptr<TBitmap> FImageBitmap;
  bool FDrawsInPlace = false;
  bool FDrawingInPlace = false;  // the image canvas is on the painted surface now
  bool FNeedBackground = true;
  bool FTransparent = false;
  TCanvas* FDrawCanvas = nullptr;
};
