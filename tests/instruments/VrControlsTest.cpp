#include <gtest/gtest.h>

#include <vector>

#include "instruments/InstrumentTestSupport.h"
#include "instruments/VrControls.h"
#include "instruments/VrCounter.h"
#include "instruments/VrDigit.h"
#include "instruments/VrJogMeter.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Cursors.h"

namespace {

// An image control that paints a 2 x 2 mark of MarkColor in its middle over what
// PrepareImage leaves, and can be told to fail halfway.
class TMarked : public TVrGraphicImageControl {
 public:
  using TVrGraphicImageControl::TVrGraphicImageControl;
  int Paints = 0;
  bool Fail = false;
  TColor MarkColor() const { return FMark; }
  void SetMarkColor(TColor value) {
    if (FMark == value) return;
    FMark = value;
    UpdateControl();
  }
  using TVrGraphicImageControl::DrawDesignFrame;
  void MakeOpaque() { MarkOpaque(true); }

 protected:
  void Paint() override {
    ++Paints;
    PrepareImage();
    if (FMark != clNone) {
      ImageCanvas()->Brush()->SetColor(FMark);
      ImageCanvas()->FillRect(Bounds(Width() / 2 - 1, Height() / 2 - 1, 2, 2));
    }
    if (Fail) throw Exception("broken");
    TVrGraphicImageControl::Paint();
  }

 private:
  TColor FMark = clNone;
};

using VrImageControl = InstrumentFixture;

TEST_F(VrImageControl, UpdateControlWhileLoadingPaintsNothing) {
  auto* c = Place<TMarked>(10, 10, 20, 20);
  const int before = c->Paints;
  c->BeginLoading();
  c->SetMarkColor(clRed);
  Pump();
  EXPECT_EQ(c->Paints, before);
  c->Loaded();
  c->UpdateControl();
  EXPECT_EQ(c->Paints, before + 1);
}

TEST_F(VrImageControl, APaintRequestWithoutDeviceContextDrawsNothing) {
  auto* c = Place<TMarked>(10, 10, 20, 20);
  const int before = c->Paints;
  c->PaintRequest(nullptr);
  EXPECT_EQ(c->Paints, before);
}

TEST_F(VrImageControl, AnOpaqueControlThatDrawsNothingShowsItsColourAndIsSizedToIt) {
  auto* c = Place<TMarked>(10, 10, 20, 12);
  c->SetColor(clTeal);
  Pump();
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(c, x, y), clTeal) << x << "," << y;
  EXPECT_EQ(At(30, 10), kFormColor);
  EXPECT_EQ(c->ImageBitmap()->Width(), 20);
  EXPECT_EQ(c->ImageBitmap()->Height(), 12);
}

TEST_F(VrImageControl, ATransparentControlReusesItsSavedBackgroundForItsOwnChanges) {
  auto* beneath = Place<TMarked>(0, 0, 60, 60);
  beneath->SetColor(clRed);
  auto* c = Place<TMarked>(10, 10, 20, 20);
  c->SetTransparent(true);
  Pump();
  EXPECT_EQ(At(c, 0, 0), clRed) << "the parent's picture shows through";
  EXPECT_FALSE(c->ControlStyle().Contains(csOpaque)) << "capturing state after a paint";
  EXPECT_TRUE(c->NeedBackground());

  // Something scribbles under the control; its own repaint must use the saved picture.
  form->BackBuffer()->Canvas()->SetPixel(10, 10, clWhite);
  const int formPaints = form->BackgroundPaints, beneathPaints = beneath->Paints;
  c->SetMarkColor(clBlue);
  EXPECT_EQ(form->BackgroundPaints, formPaints) << "the parent did not paint";
  EXPECT_EQ(beneath->Paints, beneathPaints) << "nothing beneath painted";
  EXPECT_EQ(At(c, 0, 0), clRed);
  EXPECT_EQ(At(c, 10, 10), clBlue);
  EXPECT_TRUE(c->NeedBackground()) << "back to capturing after the paint";

  // The next paint the parent drives captures the new picture beneath.
  beneath->SetColor(clGreen);
  Pump();
  EXPECT_EQ(At(c, 0, 0), clGreen);
  EXPECT_EQ(At(c, 10, 10), clBlue);
}

TEST_F(VrImageControl, ATransparentControlWithoutSavedPictureAsksTheParentFirst) {
  auto* c = new TMarked(form);
  c->SetTransparent(true);
  c->SetBounds(5, 5, 10, 10);
  c->SetParent(form);
  EXPECT_TRUE(c->BackgroundBitmap()->Empty());
  const int formPaints = form->BackgroundPaints;
  c->SetMarkColor(clLime);  // non-opaque path: invalidate and paint the pending area now
  EXPECT_EQ(form->BackgroundPaints, formPaints + 1);
  EXPECT_EQ(At(c, 0, 0), kFormColor);
  EXPECT_EQ(At(c, 5, 5), clLime);
}

TEST_F(VrImageControl, TurningTransparentAgainShowsWhatLiesBeneathNowNotAnOldPicture) {
  auto* beneath = Place<TMarked>(0, 0, 60, 60);
  beneath->SetColor(clRed);
  auto* c = Place<TMarked>(10, 10, 20, 20);
  c->SetTransparent(true);
  Pump();
  ASSERT_EQ(At(c, 0, 0), clRed);
  c->SetTransparent(false);
  Pump();
  beneath->SetColor(clGreen);
  Pump();
  ASSERT_EQ(At(c, 0, 0), c->Color()) << "opaque meanwhile";
  c->SetTransparent(true);
  Pump();
  EXPECT_EQ(At(c, 0, 0), clGreen);
  c->SetBounds(50, 50, 20, 20);  // moved while opaque, then transparent again
  c->SetTransparent(false);
  Pump();
  c->SetTransparent(true);
  Pump();
  EXPECT_EQ(At(c, 0, 0), clGreen);
  EXPECT_EQ(At(c, 19, 19), kFormColor) << "the part off the control beneath shows the form";
}

TEST_F(VrImageControl, APaintErrorLeavesTheScreenAndTheCanvasesAsTheyWere) {
  auto* c = Place<TMarked>(10, 10, 20, 20);
  c->MakeOpaque();  // so that nothing beneath is painted again either
  c->SetColor(clNavy);
  Pump();
  c->Fail = true;
  EXPECT_THROW(c->SetMarkColor(clYellow), Exception);
  EXPECT_EQ(At(c, 10, 10), clNavy) << "what the failed paint drew did not reach the screen";
  EXPECT_EQ(c->Canvas()->LockCount(), 0);
  EXPECT_EQ(c->ImageCanvas()->LockCount(), 0);
  EXPECT_EQ(c->Canvas()->Surface(), nullptr);
}

// The meter, the counter and the sign draw straight onto the form, stacked as in the main
// window: a paint of part of them must leave the rest of the screen alone and put back
// exactly what a whole paint shows there.
TEST_F(VrImageControl, ControlsDrawingInPlaceRepaintOnlyTheAreaAndAsAWholePaintWould) {
  auto* meter = Place<TVrJogMeter>(8, 16, 240, 33);
  meter->Font()->SetHeight(-11);
  meter->Value()->SetValue(-7);
  auto* counter = Place<TVrCounter>(104, 0, 49, 17);
  counter->SetTransparent(true);
  counter->SetValue(7);
  auto* sign = Place<TVrDigit>(104, 0, 16, 17);
  sign->SetActiveOnly(true);
  sign->SetTransparent(true);
  sign->SetSegments(TVrDigitSegments{seg2});
  Pump();
  const TRect all = Rect(0, 0, 256, 60);
  std::vector<TColor> whole;
  for (int y = all.Top; y < all.Bottom; ++y)
    for (int x = all.Left; x < all.Right; ++x) whole.push_back(At(x, y));
  TCanvas* screen = form->BackBuffer()->Canvas();
  screen->Brush()->SetColor(clFuchsia);
  screen->FillRect(all);
  const TRect part = Rect(100, 10, 130, 30);  // the counter's and the sign's lower rows, the meter's top
  form->InvalidateRect(part);
  Pump();
  int wrong = 0, touched = 0;
  for (int y = all.Top; y < all.Bottom; ++y)
    for (int x = all.Left; x < all.Right; ++x) {
      const TColor c = At(x, y);
      if (x >= part.Left && x < part.Right && y >= part.Top && y < part.Bottom)
        wrong += c != whole[size_t(y - all.Top) * size_t(all.Width()) + size_t(x - all.Left)];
      else
        touched += c != clFuchsia;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(touched, 0);
}

TEST_F(VrImageControl, TheDesignFrameIsDrawnOnlyInDesignMode) {
  auto* c = Place<TMarked>(10, 10, 20, 20);
  c->SetColor(clWhite);
  TBitmap b(20, 20);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(Rect(0, 0, 20, 20));
  c->DrawDesignFrame(b.Canvas());
  EXPECT_EQ(b.PixelColor(0, 0), clWhite);
  c->SetDesigning(true);
  c->DrawDesignFrame(b.Canvas());
  EXPECT_EQ(b.PixelColor(0, 0), clBlack);
  EXPECT_EQ(b.PixelColor(19, 19) == clBlack || b.PixelColor(18, 19) == clBlack, true);
  EXPECT_EQ(b.PixelColor(5, 5), clWhite);
}

TEST_F(VrImageControl, NotificationsReachTheEventsAndACaptionChangeDoesNotRepaint) {
  auto* c = Place<TMarked>(10, 10, 20, 20);
  int enters = 0, leaves = 0, fonts = 0, texts = 0;
  c->OnMouseEnter = [&](TObject* s) { enters += s == c; };
  c->OnMouseLeave = [&](TObject* s) { leaves += s == c; };
  c->OnFontChanged = [&](TObject* s) { fonts += s == c; };
  c->OnTextChanged = [&](TObject* s) { texts += s == c; };
  const int w = form->WindowHandle();
  form->DispatchInput({TBackendEventKind::MouseMove, w, 15, 15});
  form->DispatchInput({TBackendEventKind::MouseMove, w, 100, 100});
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
  c->Font()->SetHeight(-20);
  EXPECT_EQ(fonts, 1);
  Pump();
  const int paints = c->Paints;
  c->SetCaption("new");
  Pump();
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(c->Paints, paints);
  EXPECT_EQ(c->Version(), "1.3");
}

TEST_F(VrImageControl, TheHandCursorIsRegisteredAsNumber99) {
  const TCursorImage* cursor = FindCursor(crVrHandPoint);
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->Width, 32);
  EXPECT_EQ(cursor->Height, 32);
  EXPECT_EQ(cursor->HotX, 10);
  EXPECT_EQ(cursor->HotY, 5);
  ASSERT_EQ(backend->Cursors.count(crVrHandPoint), 1u);
  EXPECT_EQ(backend->Cursors[crVrHandPoint], std::make_pair(10, 5));
}

}  // namespace
