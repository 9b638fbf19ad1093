#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/WinControl.h"
#include "platform/ui/backend/Backend.h"

class TBitmap;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };

// A top-level window. It becomes a window of the backend when first shown; closing it hides
// it, and closing the main form ends the message loop.
//
// The form owns a back buffer of its client size: every control paints into it, and the
// areas painted since the last pass are handed to the screen by PresentDirty. A form's design
// runs between BeginLoading and Loaded: controls created with the form as owner meanwhile
// start loading too, and the form's Loaded ends loading for all of them, then lays out and
// marks the whole form for painting.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  int ClientWidth() const { return Width(); }
  void SetClientWidth(int value) { SetWidth(value); }
  int ClientHeight() const { return Height(); }
  void SetClientHeight(int value) { SetHeight(value); }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  // The window's icon, one image per size (see LoadIconResource); handed to the window when
  // it is created, and at once when it exists.
  const std::vector<TIconImage>& Icon() const { return FIcon; }
  void SetIcon(const std::vector<TIconImage>& value);

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

  // Runs OnCreate; an exception from it goes to the application's exception handler.
  virtual void DoCreate();
  virtual void Show();
  virtual void Close();
  int WindowHandle() const { return FWindow; }  // 0 until shown

  bool HandleAllocated() const override { return FWindow != 0; }
  TBitmap* BackBuffer() const { return FBuffer.get(); }
  // The areas painted since the last present, in client coordinates.
  const std::vector<TRect>& DirtyArea() const { return FDirty; }
  // The control the mouse is over, as the last input event left it.
  TControl* MouseControl() const { return FMouseControl; }
  // Tells every control that the system colours changed.
  void NotifySysColorChange() { CMSysColorChange(); }

  // The message loop's hooks: paint what is pending, hand the dirty area to the screen,
  // deliver an input event of this form's window.
  virtual void PaintPending();
  virtual void PresentDirty();
  virtual void DispatchInput(const TBackendEvent& Event);

  void CMTextChanged() override;
  void CMVisibleChanged() override;
  void Loaded() override;

 protected:
  virtual TWindowParams WindowParams() const;
  TPaintDC RootDC() const override;
  void MarkPainted(const TRect& SurfaceRect) override;
  void ControlRemoving(TControl* AControl) override;
  void Resize() override;

 private:
  void EnsureBuffer();
  void SetMouseControl(TControl* c);

  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  std::vector<TIconImage> FIcon;
  int FWindow = 0;
  std::unique_ptr<TBitmap> FBuffer;
  std::vector<TRect> FDirty;
  TControl* FMouseControl = nullptr;
  TControl* FDownControl = nullptr;
};
