#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/GraphicControl.h"
#include "platform/ui/WinControl.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

namespace {

using TLog = std::vector<std::string>;

// A windowless control that fills its area with its colour and logs every paint.
class TSwatch : public TGraphicControl {
 public:
  TSwatch(TComponent* owner, TLog& log, std::string name) : TGraphicControl(owner), FLog(log), FName(std::move(name)) {}
  int Enters = 0, Leaves = 0, FontChanges = 0, TextChanges = 0;
  TRect LastClip;
  bool ThrowInPaint = false;

  void CMMouseEnter() override { ++Enters; }
  void CMMouseLeave() override { ++Leaves; }
  void CMFontChanged() override {
    ++FontChanges;
    TGraphicControl::CMFontChanged();
  }
  void CMTextChanged() override { ++TextChanges; }

 protected:
  void Paint() override {
    FLog.push_back(FName);
    LastClip = Canvas()->ClipRect();
    if (ThrowInPaint) throw Exception("paint failed");
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }

 private:
  TLog& FLog;
  std::string FName;
};

class TLoggingForm : public TForm {
 public:
  TLoggingForm(TComponent* owner, TLog& log) : TForm(owner), FLog(log) {}

 protected:
  void PaintWindow(const TPaintDC& DC) override {
    FLog.push_back("form");
    TForm::PaintWindow(DC);
  }

 private:
  TLog& FLog;
};

class TPanelLike : public TWinControl {
 public:
  TPanelLike(TComponent* owner, TLog& log) : TWinControl(owner), FLog(log) {}

 protected:
  void PaintWindow(const TPaintDC& DC) override {
    FLog.push_back("panel");
    TWinControl::PaintWindow(DC);
  }

 private:
  TLog& FLog;
};

class TSizedByContent : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  bool ProposeAutoSize(int& w, int& h) override {
    w = 30;
    h = 12;
    return true;
  }
};

struct Controls : ::testing::Test {
  THeadlessBackend* backend = new THeadlessBackend;
  TApplication app{std::unique_ptr<TBackend>(backend)};
  TLog log;
  TLoggingForm* form = nullptr;

  void SetUp() override {
    form = new TLoggingForm(&app, log);
    form->SetClientWidth(100);
    form->SetClientHeight(80);
    form->SetColor(clBlack);
    form->Show();
    app.ProcessMessages();
    log.clear();
  }

  TSwatch* Swatch(const std::string& name, TRect bounds, TColor color, TWinControl* parent = nullptr) {
    auto* s = new TSwatch(form, log, name);
    s->SetColor(color);
    s->SetBoundsRect(bounds);
    s->SetParent(parent ? parent : form);
    return s;
  }

  void Pump() { app.ProcessMessages(); }
  TColor At(int x, int y) const { return form->BackBuffer()->PixelColor(x, y); }
};

TEST_F(Controls, InvalidatedAreaIsPaintedInTheNextPassBackgroundFirstThenInStackingOrder) {
  Swatch("a", Rect(10, 10, 40, 40), clRed);
  Swatch("b", Rect(30, 30, 60, 60), clBlue);
  Swatch("far", Rect(80, 0, 90, 10), clLime);
  Pump();
  log.clear();
  form->InvalidateRect(Rect(35, 35, 38, 38));
  EXPECT_TRUE(log.empty()) << "nothing paints before the pass";
  Pump();
  EXPECT_EQ(log, (TLog{"form", "a", "b"}));
  EXPECT_EQ(At(36, 36), clBlue);  // b lies on top of a
  EXPECT_EQ(At(20, 20), clRed);
  EXPECT_EQ(At(85, 5), clLime);
}

TEST_F(Controls, OverlappingMarksArePaintedOnceAndPresentedOnce) {
  auto* a = Swatch("a", Rect(10, 10, 40, 40), clRed);
  Pump();
  log.clear();
  const int presents = backend->FindWindow(form->WindowHandle())->PresentCount;
  a->Invalidate();
  a->Invalidate();
  form->InvalidateRect(Rect(12, 12, 20, 20));
  Pump();
  EXPECT_EQ(log, (TLog{"form", "a"}));
  const auto* w = backend->FindWindow(form->WindowHandle());
  EXPECT_EQ(w->PresentCount, presents + 1);
  EXPECT_EQ(w->LastDirty, (std::vector<TRect>{Rect(10, 10, 40, 40)}));
  Pump();
  EXPECT_EQ(w->PresentCount, presents + 1) << "a pass with nothing painted presents nothing";
}

TEST_F(Controls, RepaintsThatOverlapByAStripArePresentedApartNotAsTheBoxAroundBoth) {
  // A wide band and a small box overlapping its top row, as a meter and its counter; and two
  // boxes whose bounding box is hardly larger than they are.
  auto* band = Swatch("band", Rect(0, 16, 100, 49), clRed);
  auto* box = Swatch("box", Rect(40, 0, 70, 17), clBlue);
  auto* left = Swatch("left", Rect(0, 60, 50, 70), clLime);
  auto* right = Swatch("right", Rect(40, 60, 90, 70), clYellow);
  Pump();
  for (TSwatch* s : {band, box, left, right}) s->Repaint();
  Pump();
  const auto* w = backend->FindWindow(form->WindowHandle());
  EXPECT_EQ(w->LastDirty, (std::vector<TRect>{Rect(0, 16, 100, 49), Rect(40, 0, 70, 17), Rect(0, 60, 90, 70)}));
  EXPECT_EQ(At(50, 16), clBlue) << "the box lies on the band's top row";
}

TEST_F(Controls, RepaintOfAnOpaqueControlPaintsItAndWhatLiesAboveAtOnceNothingBeneath) {
  auto* below = Swatch("below", Rect(0, 0, 50, 50), clGreen);
  auto* mid = Swatch("mid", Rect(10, 10, 40, 40), clRed);
  auto* above = Swatch("above", Rect(30, 30, 60, 60), clBlue);
  Swatch("apart", Rect(70, 0, 80, 10), clLime);
  Pump();
  log.clear();
  TControlStyle style = mid->ControlStyle();
  style.Include(csOpaque);
  mid->SetControlStyle(style);
  mid->SetColor(clYellow);  // invalidates, painted later
  log.clear();
  mid->Repaint();
  EXPECT_EQ(log, (TLog{"mid", "above"}));
  EXPECT_EQ(above->LastClip, Rect(0, 0, 10, 10)) << "clipped to mid's bounds";
  EXPECT_EQ(At(20, 20), clYellow);
  EXPECT_EQ(At(35, 35), clBlue);
  EXPECT_EQ(At(5, 5), clGreen);
  (void)below;
}

TEST_F(Controls, RepaintOfAControlThatIsNotOpaquePaintsTheParentBeneathAtOnce) {
  Swatch("below", Rect(0, 0, 50, 50), clGreen);
  auto* mid = Swatch("mid", Rect(10, 10, 40, 40), clRed);
  Pump();
  log.clear();
  mid->Repaint();
  EXPECT_EQ(log, (TLog{"form", "below", "mid"}));
  EXPECT_TRUE(form->InvalidArea().empty());
}

TEST_F(Controls, NothingPaintsForAHiddenControlAControlWithoutParentOrAFormNotShown) {
  auto* s = Swatch("s", Rect(0, 0, 10, 10), clRed);
  Pump();
  log.clear();
  s->SetVisible(false);
  log.clear();
  s->Repaint();
  EXPECT_TRUE(log.empty());
  s->SetParent(nullptr);
  s->SetVisible(true);
  s->Repaint();
  s->Invalidate();
  Pump();
  EXPECT_TRUE(std::find(log.begin(), log.end(), "s") == log.end());

  TLog other;
  auto* hidden = new TLoggingForm(&app, other);
  hidden->SetClientWidth(20);
  hidden->SetClientHeight(20);
  auto* t = new TSwatch(hidden, other, "t");
  t->SetBounds(0, 0, 5, 5);
  t->SetParent(hidden);
  t->Repaint();
  app.ProcessMessages();
  EXPECT_TRUE(other.empty());
}

TEST_F(Controls, HidingAControlPaintsWhatWasBeneath) {
  auto* s = Swatch("s", Rect(0, 0, 10, 10), clRed);
  Pump();
  s->SetVisible(false);
  Pump();
  EXPECT_EQ(At(5, 5), clBlack);
}

TEST_F(Controls, APaintRequestWithoutADeviceContextPaintsNothing) {
  auto* s = Swatch("s", Rect(0, 0, 10, 10), clRed);
  Pump();
  log.clear();
  s->PaintRequest(nullptr);
  EXPECT_TRUE(log.empty());
}

TEST_F(Controls, APaintErrorDoesNotStopTheOtherControlsAndReachesTheHandler) {
  auto* a = Swatch("a", Rect(0, 0, 20, 20), clRed);
  Swatch("b", Rect(10, 10, 30, 30), clBlue);
  std::vector<std::string> errors;
  app.OnException = [&](TObject*, const Exception& e) { errors.push_back(e.Message()); };
  Pump();
  a->ThrowInPaint = true;
  log.clear();
  form->Invalidate();
  Pump();
  EXPECT_EQ(log, (TLog{"form", "a", "b"}));
  EXPECT_EQ(errors, (std::vector<std::string>{"paint failed"}));
  EXPECT_EQ(a->Canvas()->Surface(), nullptr) << "the canvas is detached after a failed paint";
}

TEST_F(Controls, LoadingStoresWithoutPaintingAndLoadedEndsItForTheWholeDesign) {
  TLog designLog;
  auto* f = new TLoggingForm(&app, designLog);
  f->BeginLoading();
  auto* s = new TSwatch(f, designLog, "s");
  EXPECT_TRUE(s->IsLoading()) << "a control created by a loading owner loads too";
  s->SetParent(f);
  s->SetBounds(1, 2, 30, 40);
  s->SetColor(clRed);
  s->Repaint();
  EXPECT_EQ(s->BoundsRect(), Rect(1, 2, 31, 42));
  EXPECT_TRUE(f->InvalidArea().empty());
  f->SetClientWidth(50);
  f->SetClientHeight(50);
  f->Loaded();
  EXPECT_FALSE(s->IsLoading());
  EXPECT_FALSE(f->IsLoading());
  f->Show();
  app.ProcessMessages();
  EXPECT_EQ(f->BackBuffer()->PixelColor(10, 10), clRed);
}

TEST_F(Controls, MouseEnterAndLeaveFollowThePointerOverTheTopmostControl) {
  auto* a = Swatch("a", Rect(0, 0, 20, 20), clRed);
  auto* b = Swatch("b", Rect(10, 10, 30, 30), clBlue);
  const int w = form->WindowHandle();
  form->DispatchInput({TBackendEventKind::MouseMove, w, 5, 5});
  EXPECT_EQ(a->Enters, 1);
  form->DispatchInput({TBackendEventKind::MouseMove, w, 6, 6});
  EXPECT_EQ(a->Enters, 1) << "moving within a control enters it once";
  form->DispatchInput({TBackendEventKind::MouseMove, w, 15, 15});
  EXPECT_EQ(a->Leaves, 1);
  EXPECT_EQ(b->Enters, 1);
  form->DispatchInput({TBackendEventKind::MouseLeave, w, 0, 0});
  EXPECT_EQ(b->Leaves, 1);
  EXPECT_EQ(form->MouseControl(), nullptr);

  form->DispatchInput({TBackendEventKind::MouseMove, w, 15, 15});
  delete b;  // freed under the pointer
  EXPECT_EQ(form->MouseControl(), nullptr);
  form->DispatchInput({TBackendEventKind::MouseMove, w, 16, 16});
  EXPECT_EQ(a->Enters, 2);
}

TEST_F(Controls, MouseEventsThroughTheApplicationLoopReachTheControl) {
  auto* a = Swatch("a", Rect(0, 0, 20, 20), clRed);
  int clicks = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  const int w = form->WindowHandle();
  backend->PostEvent({TBackendEventKind::MouseMove, w, 3, 3});
  backend->PostEvent({TBackendEventKind::MouseDown, w, 3, 3});
  backend->PostEvent({TBackendEventKind::MouseUp, w, 4, 4});
  Pump();
  EXPECT_EQ(a->Enters, 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, FontCaptionAndSystemColourNotifications) {
  auto* s = Swatch("s", Rect(0, 0, 10, 10), clBtnFace);
  Pump();
  EXPECT_TRUE(s->ParentFont());
  s->Font()->SetName("Arial");
  EXPECT_EQ(s->FontChanges, 1);
  EXPECT_FALSE(s->ParentFont()) << "a control's own font change ends ParentFont";
  EXPECT_FALSE(form->InvalidArea().empty()) << "a font change invalidates";
  Pump();

  s->SetCaption("x");
  s->SetCaption("x");
  EXPECT_EQ(s->TextChanges, 1);
  EXPECT_TRUE(form->InvalidArea().empty()) << "a caption change paints nothing by itself";

  auto* plain = Swatch("plain", Rect(20, 0, 30, 10), clRed);
  Pump();
  log.clear();
  form->NotifySysColorChange();
  Pump();
  EXPECT_NE(std::find(log.begin(), log.end(), "s"), log.end());
  (void)plain;
}

TEST_F(Controls, ParentColourAndFontFlowToChildrenThatFollowTheirParent) {
  auto* follower = new TSwatch(form, log, "f");
  follower->SetParent(form);
  EXPECT_EQ(follower->Color(), clBlack);
  auto* own = Swatch("o", Rect(0, 0, 5, 5), clRed);
  form->SetColor(clNavy);
  EXPECT_EQ(follower->Color(), clNavy);
  EXPECT_EQ(own->Color(), clRed);
  EXPECT_FALSE(own->ParentColor());

  form->Font()->SetHeight(-20);
  EXPECT_EQ(follower->Font()->Height(), -20);
  EXPECT_TRUE(follower->ParentFont());
  own->Font()->SetHeight(-9);
  form->Font()->SetHeight(-14);
  EXPECT_EQ(own->Font()->Height(), -9);
}

TEST_F(Controls, WindowedChildrenStayAboveWindowlessOnesAndClipTheirChildren) {
  auto* panel = new TPanelLike(form, log);
  panel->SetColor(clGreen);
  panel->SetBounds(20, 20, 40, 40);
  panel->SetParent(form);
  auto* onPanel = Swatch("inner", Rect(30, 30, 60, 60), clRed, panel);  // runs past the panel
  auto* under = Swatch("under", Rect(0, 0, 30, 30), clBlue);            // added later, still beneath
  Pump();
  EXPECT_EQ(At(25, 25), clGreen);
  EXPECT_EQ(At(55, 55), clRed);
  EXPECT_EQ(At(61, 61), clBlack) << "the panel clips its child";
  EXPECT_EQ(At(10, 10), clBlue);

  TControlStyle style = under->ControlStyle();
  style.Include(csOpaque);
  under->SetControlStyle(style);
  log.clear();
  under->Repaint();
  EXPECT_EQ(At(25, 25), clGreen) << "the panel above is painted again over the opaque repaint";
  EXPECT_EQ(log, (TLog{"under", "panel"}));
  EXPECT_EQ(form->ControlAtPos(Point(25, 25)), panel);
  EXPECT_EQ(form->ControlAtPos(Point(55, 55)), onPanel);
  EXPECT_EQ(form->ControlAtPos(Point(5, 5)), under);
}

TEST_F(Controls, AWindowedControlRepaintedBeneathASiblingLeavesTheSiblingOnTop) {
  auto* lower = new TPanelLike(form, log);
  lower->SetColor(clGreen);
  lower->SetBounds(10, 10, 40, 40);
  lower->SetParent(form);
  auto* child = Swatch("child", Rect(10, 10, 30, 30), clRed, lower);  // partly under `upper`
  auto* upper = new TPanelLike(form, log);
  upper->SetColor(clBlue);
  upper->SetBounds(30, 30, 40, 40);
  upper->SetParent(form);
  Pump();
  ASSERT_EQ(At(35, 35), clBlue);

  lower->Invalidate();
  Pump();
  EXPECT_EQ(At(35, 35), clBlue) << "what the upper panel covers stays covered";
  EXPECT_EQ(At(15, 15), clGreen);

  child->SetColor(clYellow);
  child->Repaint();  // not opaque: the lower panel paints beneath it at once
  EXPECT_EQ(At(35, 35), clBlue);
  EXPECT_EQ(At(25, 25), clYellow);

  log.clear();
  upper->Invalidate();
  Pump();
  EXPECT_EQ(log, (TLog{"panel"})) << "nothing beneath the upper panel paints for its own area";
}

TEST_F(Controls, AHiddenOrRemovedPanelTakesItsChildrenAlong) {
  auto* panel = new TPanelLike(form, log);
  panel->SetColor(clGreen);
  panel->SetBounds(20, 20, 40, 40);
  panel->SetParent(form);
  auto* inner = Swatch("inner", Rect(0, 0, 10, 10), clRed, panel);
  TControlStyle style = inner->ControlStyle();
  style.Include(csOpaque);
  inner->SetControlStyle(style);
  Pump();
  EXPECT_EQ(At(25, 25), clRed);
  panel->SetVisible(false);
  Pump();
  EXPECT_EQ(At(25, 25), clBlack);
  log.clear();
  inner->Repaint();
  EXPECT_TRUE(log.empty()) << "a control on a hidden panel does not paint";
  EXPECT_EQ(At(25, 25), clBlack);
  panel->SetVisible(true);
  Pump();
  EXPECT_EQ(At(25, 25), clRed);
  panel->SetParent(nullptr);
  Pump();
  EXPECT_EQ(At(25, 25), clBlack) << "the area the panel covered is painted again";
}

TEST_F(Controls, AlignedAndAutoSizedBounds) {
  auto* panel = new TPanelLike(form, log);
  panel->SetBounds(0, 0, 57, 10);
  panel->SetParent(form);
  panel->SetAlign(alLeft);
  EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 57, 80)) << "a left-aligned control takes the parent's height";
  form->SetClientHeight(90);
  EXPECT_EQ(panel->Height(), 90);

  auto* sized = new TSizedByContent(form);
  sized->SetParent(form);
  sized->SetBounds(5, 5, 100, 100);
  EXPECT_EQ(sized->Width(), 100);
  sized->SetAutoSize(true);
  EXPECT_EQ(sized->BoundsRect(), Rect(5, 5, 35, 17));
  sized->SetBounds(6, 6, 1, 1);
  EXPECT_EQ(sized->BoundsRect(), Rect(6, 6, 36, 18));
}

TEST_F(Controls, ResizingTheFormResizesTheBackBufferAndRepaintsIt) {
  Swatch("s", Rect(0, 0, 10, 10), clRed);
  Pump();
  form->SetClientWidth(120);
  Pump();
  EXPECT_EQ(form->BackBuffer()->Width(), 120);
  EXPECT_EQ(At(5, 5), clRed);
  EXPECT_EQ(At(110, 5), clBlack);
}

TEST_F(Controls, TheFormKeepsItsWindowApi) {
  form->SetCaption("Orvel");
  EXPECT_EQ(backend->FindWindow(form->WindowHandle())->Params.Caption, "Orvel");
  EXPECT_TRUE(form->Visible());
  form->Close();
  EXPECT_FALSE(form->Visible());
}

}  // namespace
