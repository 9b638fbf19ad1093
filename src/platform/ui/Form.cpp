#include "platform/ui/Form.h"

#include "platform/ui/Application.h"

TForm::TForm(TComponent* AOwner) : TComponent(AOwner) {
  if (Application) Application->AddForm(this);
}

TForm::~TForm() {
  if (OnDestroy) OnDestroy(this);
  if (Application) {
    Application->RemoveForm(this);
    if (FWindow) Application->Backend().DestroyWindow(FWindow);
  }
}

void TForm::SetCaption(const std::string& value) {
  FCaption = value;
  if (FWindow) Application->Backend().SetCaption(FWindow, value);
}

void TForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleCurrentException(this);
  }
}

TWindowSpec TForm::WindowSpec() const {
  TWindowSpec s;
  s.Caption = FCaption;
  s.ClientWidth = FClientWidth;
  s.ClientHeight = FClientHeight;
  s.ToolWindow = FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin;
  s.Centered = FPosition == poScreenCenter;
  return s;
}

void TForm::Show() {
  if (!FWindow) FWindow = Application->Backend().CreateWindow(WindowSpec());
  Application->Backend().ShowWindow(FWindow);
  FVisible = true;
}

void TForm::Close() {
  FVisible = false;
  if (Application && Application->MainForm() == this) Application->Terminate();
}
