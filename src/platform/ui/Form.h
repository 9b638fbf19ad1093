#pragma once
#include <string>

#include "platform/ui/Component.h"
#include "platform/ui/backend/Backend.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };

// A top-level window. It becomes a window of the backend when first shown; closing it hides
// it, and closing the main form ends the message loop.
class TForm : public TComponent {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  int ClientWidth() const { return FClientWidth; }
  void SetClientWidth(int value) { FClientWidth = value; }
  int ClientHeight() const { return FClientHeight; }
  void SetClientHeight(int value) { FClientHeight = value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

  // Runs OnCreate; an exception from it goes to the application's exception handler.
  virtual void DoCreate();
  virtual void Show();
  virtual void Close();
  bool Visible() const { return FVisible; }
  int WindowHandle() const { return FWindow; }  // 0 until shown

  // The message loop's hooks: paint what is pending, hand the dirty area to the screen,
  // deliver an input event of this form's window.
  virtual void PaintPending() {}
  virtual void PresentDirty() {}
  virtual void DispatchInput(const TBackendEvent&) {}

 protected:
  virtual TWindowSpec WindowSpec() const;

 private:
  std::string FCaption;
  int FClientWidth = 0;
  int FClientHeight = 0;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  bool FVisible = false;
  int FWindow = 0;
};
