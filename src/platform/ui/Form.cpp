#include "platform/ui/Form.h"

#include <cstdint>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Cursors.h"

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner), FBuffer(std::make_unique<TBitmap>()) {
  FVisible = false;
  SetColor(clBtnFace);
  SetParentColor(false);
  SetParentFont(false);
  if (Application) {
    Application->AddForm(this);
    InstallCursors(Application->Backend());
  }
}

TForm::~TForm() {
  if (OnDestroy) OnDestroy(this);
  // The owned controls go while the form they paint on is still whole.
  FComponentState.Include(csDestroying);
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  FMouseControl = FDownControl = nullptr;
  if (Application) {
    Application->RemoveForm(this);
    if (FWindow) Application->Backend().DestroyWindow(FWindow);
  }
}

void TForm::CMTextChanged() {
  if (FWindow && Application) Application->Backend().SetCaption(FWindow, Caption());
}

namespace {

bool SameImages(const std::vector<TIconImage>& a, const std::vector<TIconImage>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Width != b[i].Width || a[i].Height != b[i].Height || a[i].Pixels != b[i].Pixels ||
        a[i].Alpha != b[i].Alpha)
      return false;
  return true;
}

}  // namespace

void TForm::SetIcon(const std::vector<TIconImage>& value) {
  if (SameImages(FIcon, value)) return;
  FIcon = value;
  if (FWindow && Application) Application->Backend().SetIcon(FWindow, FIcon);
}

void TForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleCurrentException(this);
  }
}

TWindowParams TForm::WindowParams() const {
  TWindowParams s;
  s.Caption = Caption();
  s.ClientWidth = Width();
  s.ClientHeight = Height();
  s.ToolWindow = FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin;
  s.Centered = FPosition == poScreenCenter;
  return s;
}

void TForm::EnsureBuffer() {
  if (FBuffer->Width() != Width() || FBuffer->Height() != Height()) FBuffer->SetSize(Width(), Height());
}

void TForm::Show() {
  EnsureBuffer();
  if (!FWindow) {
    FWindow = Application->Backend().CreateWindow(WindowParams());
    if (!FIcon.empty()) Application->Backend().SetIcon(FWindow, FIcon);
  }
  Application->Backend().ShowWindow(FWindow);
  FVisible = true;
  Invalidate();  // the first pass paints everything
}

void TForm::Close() {
  FVisible = false;
  if (Application && Application->MainForm() == this) Application->Terminate();
}

void TForm::CMVisibleChanged() {
  if (FVisible && Application && !IsLoading()) Show();
}

void TForm::Loaded() {
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (c->ComponentState().Contains(csLoading)) c->Loaded();
  }
  TWinControl::Loaded();
  EnsureBuffer();
  Invalidate();
}

void TForm::Resize() {
  EnsureBuffer();
  Invalidate();
  TWinControl::Resize();
}

TPaintDC TForm::RootDC() const {
  if (FBuffer->Empty()) return TPaintDC{};
  return TPaintDC{FBuffer.get(), TPoint{0, 0}, Rect(0, 0, FBuffer->Width(), FBuffer->Height())};
}

void TForm::MarkPainted(const TRect& SurfaceRect) {
  TRect r = IntersectRect(SurfaceRect, Rect(0, 0, FBuffer->Width(), FBuffer->Height()));
  if (r.IsEmpty()) return;
  // Overlapping marks become one where that adds little: the box around a meter and the
  // counter that overlaps one of its rows would be a third larger than both, all of it sent
  // to the screen. Pixels in two marks go out twice, the same both times.
  auto area = [](const TRect& a) { return int64_t(a.Width()) * a.Height(); };
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = FDirty.begin(); it != FDirty.end(); ++it) {
      if (!IntersectRect(*it, r).IsEmpty() && area(UnionRect(*it, r)) <= area(*it) + area(r)) {
        r = UnionRect(*it, r);
        FDirty.erase(it);
        merged = true;
        break;
      }
    }
  }
  FDirty.push_back(r);
}

void TForm::PaintPending() { PaintPendingTree(); }

void TForm::PresentDirty() {
  if (!FWindow || FDirty.empty() || !Application) return;
  const TPixelView view{FBuffer->Pixels(), FBuffer->Width(), FBuffer->Height(), FBuffer->Stride()};
  const std::vector<TRect> dirty = std::move(FDirty);
  FDirty.clear();
  Application->Backend().Present(FWindow, view, dirty);
}

void TForm::ControlRemoving(TControl* AControl) {
  if (FMouseControl && IsAncestorOf(AControl, FMouseControl)) FMouseControl = nullptr;
  if (FDownControl && IsAncestorOf(AControl, FDownControl)) FDownControl = nullptr;
}

void TForm::SetMouseControl(TControl* c) {
  if (c == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = c;
  if (old) old->CMMouseLeave();
  // The leave handler may have removed the new control; look again only if it is still ours.
  if (FMouseControl == c && c) c->CMMouseEnter();
}

void TForm::DispatchInput(const TBackendEvent& Event) {
  const TPoint p{Event.X, Event.Y};
  auto local = [&](TControl* c) {
    const TPoint o = c->SurfaceOrigin();
    return TPoint{p.X - o.X, p.Y - o.Y};
  };
  switch (Event.Kind) {
    case TBackendEventKind::Expose:
      MarkPainted(ClientRect());  // the buffer is whole: show it again
      break;
    case TBackendEventKind::MouseMove: {
      TControl* c = ControlAtPos(p);
      if (!c) c = this;
      SetMouseControl(c);
      TControl* target = FDownControl ? FDownControl : FMouseControl;
      if (target) target->MouseMove(local(target).X, local(target).Y);
      break;
    }
    case TBackendEventKind::MouseLeave:
      SetMouseControl(nullptr);
      break;
    case TBackendEventKind::MouseDown: {
      TControl* c = ControlAtPos(p);
      FDownControl = c ? c : this;
      FDownControl->MouseDown(local(FDownControl).X, local(FDownControl).Y);
      break;
    }
    case TBackendEventKind::MouseUp: {
      TControl* down = FDownControl;
      if (!down) break;
      down->MouseUp(local(down).X, local(down).Y);
      // A handler that freed or moved the control has had ControlRemoving clear the pointer.
      if (FDownControl != down) break;
      FDownControl = nullptr;
      TControl* over = ControlAtPos(p);
      if (over == down && down->ControlStyle().Contains(csClickEvents)) down->Click();
      break;
    }
    case TBackendEventKind::Close:
    case TBackendEventKind::DisplayLost:
      break;
  }
}
