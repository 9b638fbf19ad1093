#include "platform/ui/WinControl.h"

#include <algorithm>
#include <exception>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

namespace {

TRect Offset(const TRect& r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

bool Meets(const TRect& a, const TRect& b) { return !IntersectRect(a, b).IsEmpty(); }

}  // namespace

bool IsAncestorOf(const TControl* Ancestor, const TControl* C) {
  for (const TControl* p = C; p; p = p->Parent())
    if (p == Ancestor) return true;
  return false;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {
  FControlStyle.Include(csAcceptsControls);
}

TWinControl::~TWinControl() {
  // Children belong to their owners; they only lose their parent here.
  for (TControl* c : FControls) c->FParent = nullptr;
  FControls.clear();
}

TWinControl* TWinControl::Root() {
  TWinControl* w = this;
  while (w->Parent()) w = w->Parent();
  return w;
}

const TWinControl* TWinControl::Root() const {
  const TWinControl* w = this;
  while (w->Parent()) w = w->Parent();
  return w;
}

bool TWinControl::HandleAllocated() const {
  const TWinControl* r = Root();
  return r != this && r->HandleAllocated();
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (AControl->IsLoading()) return;
  if (AControl->FParentColor) AControl->CMParentColorChanged();
  if (AControl->FParentFont) AControl->CMParentFontChanged();
  if (AControl->Align() != alNone) AlignControls();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  AControl->InvalidateControl(AControl->FVisible);  // what it covered is painted again
  Root()->ControlRemoving(AControl);
  FControls.erase(it);
  AControl->FParent = nullptr;
  if (AControl->Align() != alNone && !ComponentState().Contains(csDestroying)) AlignControls();
}

void TWinControl::BringToFront(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  FControls.erase(it);
  FControls.push_back(AControl);
  AControl->InvalidateControl(AControl->FVisible);
}

void TWinControl::SendToBack(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  FControls.erase(it);
  FControls.insert(FControls.begin(), AControl);
  AControl->InvalidateControl(AControl->FVisible);
}

TControl* TWinControl::ControlAtPos(TPoint P) const {
  // Windowed children lie above windowless ones; within each kind the last is on top.
  for (int pass = 0; pass < 2; ++pass) {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
      TControl* c = *it;
      auto* w = c->AsWinControl();
      if ((pass == 0) != (w != nullptr) || !c->ShownOrDesigned()) continue;
      const TRect b = c->BoundsRect();
      if (P.X < b.Left || P.X >= b.Right || P.Y < b.Top || P.Y >= b.Bottom) continue;
      if (w) {
        TControl* inner = w->ControlAtPos(Point(P.X - b.Left, P.Y - b.Top));
        return inner ? inner : c;
      }
      return c;
    }
  }
  return nullptr;
}

void TWinControl::InvalidateRect(const TRect& R) {
  if (IsLoading()) return;
  TRect r = IntersectRect(R, ClientRect());
  if (r.IsEmpty()) return;
  // Overlapping marks merge, so an area is painted once however often it was marked.
  for (bool merged = true; merged;) {
    merged = false;
    for (auto it = FInvalid.begin(); it != FInvalid.end(); ++it) {
      if (Meets(*it, r) || (it->Left <= r.Left && it->Right >= r.Right && it->Top <= r.Top && it->Bottom >= r.Bottom)) {
        r = UnionRect(*it, r);
        FInvalid.erase(it);
        merged = true;
        break;
      }
    }
  }
  FInvalid.push_back(r);
}

// A windowed control paints all of its area itself: the parent need not paint beneath it.
void TWinControl::Invalidate() { InvalidateRect(ClientRect()); }

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (!HandleAllocated() || FInvalid.empty()) return;
  // What is painted now is taken off the list first: painting may mark new areas.
  const std::vector<TRect> pending = std::move(FInvalid);
  FInvalid.clear();
  std::exception_ptr error;
  const TPoint o = SurfaceOrigin();
  for (const TRect& r : pending) {
    try {
      PaintArea(r);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
    // Painting here covered windowed controls stacked above: put them back on top.
    try {
      RepaintAboveInAncestors(IntersectRect(Offset(r, o.X, o.Y), SurfaceBounds()));
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  if (error) std::rethrow_exception(error);
}

void TWinControl::PaintPendingTree() {
  std::exception_ptr error;
  try {
    Update();
  } catch (...) {
    error = std::current_exception();
  }
  const std::vector<TControl*> children = FControls;
  for (TControl* c : children) {
    auto* w = c->AsWinControl();
    if (!w || std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
    try {
      w->PaintPendingTree();
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  if (error) std::rethrow_exception(error);
}

void TWinControl::PaintArea(const TRect& R) {
  if (!Showing()) return;
  const TPoint o = SurfaceOrigin();
  const TRect clip = IntersectRect(Offset(R, o.X, o.Y), SurfaceBounds());
  if (clip.IsEmpty()) return;
  TPaintDC dc = Root()->RootDC();
  if (!dc.Surface) return;
  dc.Origin = o;
  dc.Clip = clip;
  Root()->MarkPainted(clip);
  std::exception_ptr error;
  try {
    PaintWindow(dc);
  } catch (...) {
    error = std::current_exception();
  }
  try {
    PaintControls(clip, nullptr);
  } catch (...) {
    if (!error) error = std::current_exception();
  }
  if (error) std::rethrow_exception(error);
}

void TWinControl::PaintWindow(const TPaintDC& DC) {
  FCanvas->SetTarget(DC.Surface, DC.Origin, DC.Clip);
  FCanvas->Brush()->SetColor(Color());
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->FillRect(ClientRect());
  FCanvas->SetTarget(nullptr, TPoint{}, TRect{});
}

void TWinControl::PaintChild(TControl* c, const TRect& clip) {
  if (auto* w = c->AsWinControl()) {
    const TPoint o = w->SurfaceOrigin();
    w->PaintArea(Offset(clip, -o.X, -o.Y));
    return;
  }
  const TPoint o = c->SurfaceOrigin();
  const TRect r = IntersectRect(clip, Bounds(o.X, o.Y, c->Width(), c->Height()));
  if (r.IsEmpty()) return;
  TPaintDC dc = Root()->RootDC();
  if (!dc.Surface) return;
  dc.Origin = o;
  dc.Clip = r;
  c->PaintRequest(&dc);
}

void TWinControl::PaintControls(const TRect& Clip, TControl* First) {
  TPaintDC root = Root()->RootDC();
  if (!root.Surface || Clip.IsEmpty()) return;
  Root()->MarkPainted(Clip);
  // A paint may add or remove controls: walk a copy and skip those that left.
  const std::vector<TControl*> controls = FControls;
  auto start = First ? std::find(controls.begin(), controls.end(), First) : controls.begin();
  if (start == controls.end()) start = controls.begin();
  std::exception_ptr error;
  const TPoint o = SurfaceOrigin();
  for (int pass = 0; pass < 2; ++pass) {
    for (auto it = pass == 0 ? start : controls.begin(); it != controls.end(); ++it) {
      TControl* c = *it;
      const bool windowed = c->AsWinControl() != nullptr;
      if ((pass == 1) != windowed || c->FParent != this || !c->ShownOrDesigned()) continue;
      if (!Meets(Offset(c->BoundsRect(), o.X, o.Y), Clip)) continue;
      try {
        PaintChild(c, Clip);
      } catch (...) {
        if (!error) error = std::current_exception();
      }
    }
  }
  if (error) std::rethrow_exception(error);
}

void TWinControl::RepaintAboveInAncestors(const TRect& surfaceRect) {
  // Windowed controls stacked above this one's line of parents cover it: paint them again.
  TControl* child = this;
  for (TWinControl* p = Parent(); p; child = p, p = p->Parent()) {
    auto it = std::find(p->FControls.begin(), p->FControls.end(), child);
    if (it == p->FControls.end()) continue;
    for (++it; it != p->FControls.end(); ++it) {
      auto* w = (*it)->AsWinControl();
      if (!w || !w->ShownOrDesigned()) continue;
      const TPoint o = w->SurfaceOrigin();
      if (Meets(Bounds(o.X, o.Y, w->Width(), w->Height()), surfaceRect)) p->PaintChild(w, surfaceRect);
    }
  }
}

void TWinControl::ChildBoundsChanged(TControl* AControl) {
  if (AControl->Align() != alNone && !FAligning) AlignControls();
}

void TWinControl::Resize() {
  AlignControls();
  TControl::Resize();
}

void TWinControl::AlignControls() {
  if (FAligning || IsLoading()) return;
  FAligning = true;
  TRect r = ClientRect();
  AdjustClientRect(r);
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  try {
    for (TAlign a : order) {
      for (TControl* c : FControls) {
        if (c->Align() != a || !c->ShownOrDesigned()) continue;
        const int w = c->Width(), h = c->Height();
        switch (a) {
          case alTop: c->SetBounds(r.Left, r.Top, r.Width(), h); r.Top += c->Height(); break;
          case alBottom: c->SetBounds(r.Left, r.Bottom - h, r.Width(), h); r.Bottom -= c->Height(); break;
          case alLeft: c->SetBounds(r.Left, r.Top, w, r.Height()); r.Left += c->Width(); break;
          case alRight: c->SetBounds(r.Right - w, r.Top, w, r.Height()); r.Right -= c->Width(); break;
          default: c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
        }
      }
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::Loaded() {
  TControl::Loaded();
  AlignControls();
}

void TWinControl::CMColorChanged() {
  TControl::CMColorChanged();
  for (TControl* c : FControls) c->CMParentColorChanged();
}

void TWinControl::CMFontChanged() {
  TControl::CMFontChanged();
  for (TControl* c : FControls) c->CMParentFontChanged();
}

void TWinControl::CMSysColorChange() {
  TControl::CMSysColorChange();
  for (TControl* c : FControls) c->CMSysColorChange();
}

void TWinControl::CMParentColorChanged() { TControl::CMParentColorChanged(); }
void TWinControl::CMParentFontChanged() { TControl::CMParentFontChanged(); }
