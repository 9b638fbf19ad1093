#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/JPEGImage.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Icon.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/Panel.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

namespace {

// A windowless control filled with its colour: something for others to lie over.
class TFill : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

struct Framework : ::testing::Test {
  THeadlessBackend* backend = new THeadlessBackend;
  TApplication app{std::unique_ptr<TBackend>(backend)};
  TForm* form = nullptr;

  void SetUp() override {
    form = new TForm(&app);
    form->SetClientWidth(200);
    form->SetClientHeight(120);
    form->SetColor(clBlack);
    form->Show();
    app.ProcessMessages();
  }

  void Pump() { app.ProcessMessages(); }
  TColor At(int x, int y) const { return form->BackBuffer()->PixelColor(x, y); }
  const TBitmap& Buffer() const { return *form->BackBuffer(); }
  // How many pixels of R on the back buffer are not c.
  int Other(const TRect& r, TColor c) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) != c;
    return n;
  }

  TPanel* Panel(TRect bounds) {
    auto* p = new TPanel(form);
    p->SetBoundsRect(bounds);
    p->SetParent(form);
    return p;
  }
  TLabel* Label(TWinControl* parent, int x, int y, const std::string& caption) {
    auto* l = new TLabel(form);
    l->SetParent(parent);
    l->SetLeft(x);
    l->SetTop(y);
    l->SetCaption(caption);
    return l;
  }
  TSize Measure(const TFont& font, const std::string& text) const {
    TCanvas c;
    c.SetFont(&font);
    return c.TextExtent(text);
  }
};

TEST_F(Framework, APanelWithoutBevelIsAPlainFaceOfItsColourUnderItsChildren) {
  TPanel* p = Panel(Rect(0, 0, 57, 10));
  EXPECT_EQ(p->Color(), clBtnFace);
  p->SetBevelOuter(bvNone);
  p->SetBorderWidth(2);
  p->SetAlign(alLeft);
  auto* child = new TFill(form);
  child->SetColor(clRed);
  child->SetBounds(0, 0, 4, 4);  // over the border band: children are not kept off it
  child->SetParent(p);
  Pump();
  EXPECT_EQ(p->BoundsRect(), Rect(0, 0, 57, 120));
  EXPECT_EQ(Other(Rect(4, 0, 57, 120), ColorToRGB(clBtnFace)), 0);
  EXPECT_EQ(Other(Rect(0, 0, 4, 4), clRed), 0);
  EXPECT_EQ(At(57, 0), clBlack);

  auto* aligned = new TFill(form);
  aligned->SetAlign(alTop);
  aligned->SetHeight(5);
  aligned->SetParent(p);
  EXPECT_EQ(aligned->BoundsRect(), Rect(2, 2, 55, 7)) << "aligned children keep inside the border";
}

TEST_F(Framework, APanelsBevelsAndBorderFrameItsFace) {
  TPanel* p = Panel(Rect(10, 10, 50, 40));
  p->SetBevelInner(bvLowered);
  p->SetBorderWidth(1);
  p->SetColor(clGray);
  Pump();
  EXPECT_EQ(At(10, 10), ColorToRGB(clBtnHighlight)) << "raised outer bevel: light top-left";
  EXPECT_EQ(At(49, 39), ColorToRGB(clBtnShadow));
  EXPECT_EQ(At(11, 11), clGray) << "the border band";
  EXPECT_EQ(At(12, 12), ColorToRGB(clBtnShadow)) << "lowered inner bevel: dark top-left";
  EXPECT_EQ(At(47, 37), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(At(13, 13), clGray);
}

TEST_F(Framework, AnAutoSizedLabelTakesItsCaptionsSizeAndAnEmptyOneABlanks) {
  TPanel* p = Panel(Rect(0, 0, 200, 120));
  TLabel* l = Label(p, 24, 80, "");
  const TSize blank = Measure(*l->Font(), " ");
  EXPECT_EQ(l->BoundsRect(), Bounds(24, 80, blank.cx, 13)) << "a line of the window's 11-pixel font is 13 high";
  EXPECT_GT(blank.cx, 0);

  l->SetCaption("Accel");
  EXPECT_EQ(l->BoundsRect(), Bounds(24, 80, Measure(*l->Font(), "Accel").cx, 13));
  const int plain = l->Width();
  TFont bold;
  bold.SetStyle({fsBold});
  l->SetFont(&bold);
  EXPECT_FALSE(l->ParentFont());
  EXPECT_EQ(l->Width(), Measure(bold, "Accel").cx) << "a font change resizes";
  EXPECT_GT(l->Width(), plain);

  l->SetCaption("&Cap");
  EXPECT_EQ(l->Width(), Measure(bold, "Cap").cx) << "an accelerator prefix takes no room";
  l->SetAlignment(taRightJustify);
  const int right = l->Left() + l->Width();
  l->SetCaption("Tangage");
  EXPECT_EQ(l->Left() + l->Width(), right) << "a right-justified label keeps its right edge";

  TLabel* follower = Label(p, 0, 0, "Cap");
  const int before = follower->Width();
  p->Font()->SetHeight(-22);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_GT(follower->Width(), before) << "a parent's font change reaches the label and resizes it";
  EXPECT_GT(follower->Height(), 13);
}

TEST_F(Framework, ALabelFillsWithItsParentsColourUnlessTransparent) {
  TPanel* p = Panel(Rect(0, 0, 200, 120));
  p->SetBevelOuter(bvNone);
  p->SetColor(clNavy);
  auto* under = new TFill(form);
  under->SetColor(clRed);
  under->SetBounds(0, 0, 200, 60);
  under->SetParent(p);
  TLabel* opaque = Label(p, 10, 10, "Gyro");
  TLabel* clear = Label(p, 10, 30, "Gyro");
  clear->SetTransparent(true);
  Pump();
  const TRect o = opaque->BoundsRect(), c = clear->BoundsRect();
  EXPECT_EQ(opaque->Color(), clNavy);
  EXPECT_EQ(At(o.Left, o.Top), clNavy) << "the opaque label's background";
  EXPECT_EQ(At(c.Left, c.Top), clRed) << "what lies beneath shows around the glyphs";
  EXPECT_GT(Other(o, clNavy), 0) << "the text is drawn";
  EXPECT_EQ(Other(o, clNavy), Other(c, clRed)) << "the same glyphs on both";
  EXPECT_TRUE(opaque->ControlStyle().Contains(csOpaque));
  EXPECT_FALSE(clear->ControlStyle().Contains(csOpaque));
}

TEST_F(Framework, ACaptionChangeRepaintsInTheNextPassAndClearsWhatTheLongerTextLeft) {
  TPanel* p = Panel(Rect(0, 0, 200, 120));
  p->SetBevelOuter(bvNone);
  TLabel* l = Label(p, 10, 10, "Exceeded");
  l->SetTransparent(true);
  Pump();
  const TRect wide = l->BoundsRect();
  ASSERT_GT(Other(wide, ColorToRGB(clBtnFace)), 0);
  l->SetCaption("2D");
  Pump();
  EXPECT_LT(l->Width(), wide.Width());
  EXPECT_EQ(Other(Rect(l->BoundsRect().Right, wide.Top, wide.Right, wide.Bottom), ColorToRGB(clBtnFace)), 0);
  EXPECT_GT(Other(l->BoundsRect(), ColorToRGB(clBtnFace)), 0);
  l->SetCaption("");
  Pump();
  EXPECT_EQ(Other(wide, ColorToRGB(clBtnFace)), 0) << "an empty caption shows nothing";
}

TEST_F(Framework, ALabelDesignedWhileLoadingSizesItselfWhenLoaded) {
  auto* f = new TForm(&app);
  f->BeginLoading();
  f->SetClientWidth(100);
  f->SetClientHeight(50);
  auto* l = new TLabel(f);
  l->SetParent(f);
  l->SetBounds(72, 18, 5, 13);
  l->SetCaption("Com1");
  EXPECT_EQ(l->BoundsRect(), Bounds(72, 18, 5, 13)) << "design values are only stored";
  f->Loaded();
  EXPECT_EQ(l->BoundsRect(), Bounds(72, 18, Measure(*l->Font(), "Com1").cx, 13));
}

TEST_F(Framework, AnImageShowsItsPhotographAtNaturalSizeAndSizesItselfToIt) {
  auto* f = new TForm(&app);
  f->BeginLoading();
  f->SetClientWidth(200);
  f->SetClientHeight(120);
  f->SetColor(clBlack);
  auto* img = new TImage(f);
  img->SetParent(f);
  img->SetBounds(8, 6, 20, 20);
  img->SetAutoSize(true);
  img->Picture()->LoadFromResourceName("IMAGEKQ3");
  f->Loaded();
  f->Show();
  app.ProcessMessages();
  EXPECT_EQ(img->BoundsRect(), Bounds(8, 6, 160, 102));
  EXPECT_TRUE(img->ControlStyle().Contains(csOpaque));
  TJPEGImage jpeg;
  jpeg.LoadFromResourceName("IMAGEKQ3");
  int differ = 0;
  for (int y = 0; y < 102; ++y)
    for (int x = 0; x < 160; ++x) differ += f->BackBuffer()->PixelColor(8 + x, 6 + y) != jpeg.Bitmap().PixelColor(x, y);
  EXPECT_EQ(differ, 0) << "pixel for pixel, unscaled, top-left";
  EXPECT_EQ(f->BackBuffer()->PixelColor(7, 6), clBlack);
  EXPECT_EQ(f->BackBuffer()->PixelColor(168, 107), clBlack);

  TBitmap small(10, 5);
  small.Canvas()->Brush()->SetColor(clLime);
  small.Canvas()->FillRect(Rect(0, 0, 10, 5));
  TPicture pic;
  pic.SetGraphic(&small);
  img->SetPicture(&pic);
  app.ProcessMessages();
  EXPECT_EQ(img->BoundsRect(), Bounds(8, 6, 10, 5));
  EXPECT_EQ(f->BackBuffer()->PixelColor(9, 7), clLime);
  EXPECT_EQ(f->BackBuffer()->PixelColor(100, 50), clBlack) << "the larger picture's area is painted again";
}

TEST_F(Framework, AnImageLargerThanItsPictureLetsTheParentShowAndATransparentBitmapItsKey) {
  auto* under = new TFill(form);
  under->SetColor(clRed);
  under->SetBounds(0, 0, 100, 100);
  under->SetParent(form);
  TBitmap pin(4, 4);
  pin.Canvas()->Brush()->SetColor(clBlue);
  pin.Canvas()->FillRect(Rect(0, 0, 4, 4));
  pin.Canvas()->SetPixel(0, 3, clWhite);  // the bottom-left pixel: the key colour
  pin.Canvas()->SetPixel(1, 1, clWhite);
  auto* img = new TImage(form);
  img->SetBounds(10, 10, 20, 20);
  img->Picture()->SetGraphic(&pin);
  img->SetParent(form);
  Pump();
  EXPECT_FALSE(img->ControlStyle().Contains(csOpaque));
  EXPECT_EQ(At(12, 12), clBlue);
  EXPECT_EQ(At(11, 11), clWhite);
  EXPECT_EQ(At(15, 15), clRed) << "not stretched";
  img->SetTransparent(true);
  Pump();
  EXPECT_EQ(At(11, 11), clRed);
  EXPECT_EQ(At(10, 13), clRed);
  EXPECT_EQ(At(12, 12), clBlue);
  img->SetStretch(true);
  img->SetTransparent(false);
  Pump();
  EXPECT_TRUE(img->ControlStyle().Contains(csOpaque));
  EXPECT_EQ(At(29, 29), clBlue);
}

TEST_F(Framework, TheIconsSizesReachTheWindowWithFuchsiaSeeThrough) {
  const TIconImage large = LoadIconResource("MAINICON");
  const TIconImage small = LoadIconResource("MAINICON16");
  ASSERT_EQ(large.Width, 32);
  ASSERT_EQ(large.Height, 32);
  ASSERT_EQ(small.Width, 16);
  TBitmap bmp;
  bmp.LoadFromResourceName("MAINICON");
  int seeThrough = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const size_t i = size_t(y * 32 + x);
      const bool fuchsia = bmp.PixelColor(x, y) == clFuchsia;
      EXPECT_EQ(large.Alpha[i], fuchsia ? 0 : 255);
      EXPECT_EQ(large.Pixels[i], ColorToPixel(bmp.PixelColor(x, y)));
      seeThrough += fuchsia;
    }
  EXPECT_GT(seeThrough, 0) << "a disc leaves its corners see-through";
  EXPECT_LT(seeThrough, 32 * 32 / 2);

  auto* f = new TForm(&app);
  f->SetClientWidth(10);
  f->SetClientHeight(10);
  f->SetIcon({large, small});
  f->Show();
  const auto* w = backend->FindWindow(f->WindowHandle());
  ASSERT_EQ(w->Icon.size(), 2u);
  EXPECT_EQ(w->Icon[1].Width, 16);
  f->SetIcon({small});
  EXPECT_EQ(w->Icon.size(), 1u) << "a shown window takes a new icon at once";
}

}  // namespace
