// Draws one of everything the canvas does into a picture in the build directory, to be
// looked at: build/<dir>/gfx-sampler.png (and a three-times enlargement beside it). The
// picture is also checked inside and just outside each item.
#include <gtest/gtest.h>

#include <string>

#include "PixelSupport.h"
#include "instruments/VrSysUtils.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/JPEGImage.h"

namespace {

void Caption(TCanvas& c, int x, int y, const std::string& text) {
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-11);
  c.Font()->SetStyle({});
  c.Font()->SetColor(clNavy);
  c.Brush()->SetStyle(bsClear);
  c.TextOut(x, y, text);
}

void Lines(TCanvas& c) {
  Caption(c, 4, 2, "lines");
  c.Pen()->SetColor(clBlack);
  for (int i = 0; i <= 8; ++i) {  // a fan: every end point is left out
    c.MoveTo(40, 60);
    c.LineTo(4 + 9 * i, 18);
  }
  c.Pen()->SetStyle(psDot);
  c.Brush()->SetStyle(bsClear);
  c.MoveTo(100, 20);
  c.LineTo(180, 20);
  c.Brush()->SetColor(clYellow);  // a solid brush fills the gaps of a dotted pen
  c.MoveTo(100, 26);
  c.LineTo(180, 26);
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetWidth(4);
  c.Pen()->SetColor(clRed);
  c.MoveTo(100, 36);
  c.LineTo(180, 50);
  c.Pen()->SetWidth(1);
  c.Pen()->SetColor(clBlue);
  const TPoint zigzag[] = {{100, 60}, {115, 52}, {130, 60}, {145, 52}, {160, 60}, {175, 52}};
  c.Polyline(zigzag);
}

void Shapes(TCanvas& c) {
  Caption(c, 200, 2, "shapes");
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clLime);
  c.Rectangle(200, 18, 240, 48);
  c.Brush()->SetColor(clAqua);
  c.Ellipse(248, 18, 298, 48);
  c.Brush()->SetColor(clRed);
  const TPoint tri[] = {{325, 18}, {305, 48}, {345, 48}};
  c.Polygon(tri);
  c.Brush()->SetColor(clYellow);
  const TPoint star[] = {{375, 16}, {389, 58}, {353, 32}, {397, 32}, {361, 58}};
  c.Polygon(star);
  c.Pen()->SetStyle(psDot);
  c.Brush()->SetStyle(bsClear);
  c.Rectangle(404, 18, 444, 48);
  c.Pen()->SetStyle(psSolid);
  // The lamp of the LED: grey disc, white upper-left half through a triangle region, red core.
  const TRect lamp = Rect(452, 18, 476, 42);
  c.Brush()->SetColor(clGray);
  c.Ellipse(lamp);
  c.Brush()->SetColor(clWhite);
  const TPoint half[] = {{lamp.Left, lamp.Top}, {lamp.Left, lamp.Bottom}, {lamp.Right, lamp.Top}};
  c.ClipToPolygon(half);
  c.Ellipse(lamp);
  c.RemoveClipRegion();
  c.Pen()->SetColor(clRed);
  c.Brush()->SetColor(clRed);
  c.Ellipse(lamp.Left + 2, lamp.Top + 2, lamp.Right - 2, lamp.Bottom - 2);
}

void Gradients(TCanvas& c) {
  Caption(c, 4, 66, "gradients 1-6, a bevel");
  for (int style = 1; style <= 6; ++style) {
    const TRect r = Bounds(4 + (style - 1) * 66, 82, 60, 36);
    GradientFill(c, r, clNavy, clYellow, style, style == 3 || style == 4 ? 3 : 1);
  }
  c.Pen()->SetWidth(1);
  TRect bevel = Rect(404, 82, 444, 118);
  c.Brush()->SetColor(clMaroon);
  c.FillRect(bevel);
  DrawBevel(c, bevel, clWhite, clGray, 2);
  // A meter's background with its ticks and index line.
  GradientFill(c, Rect(4, 124, 244, 157), clBlack, clWhite, 6, 1);
  c.Pen()->SetColor(clBlack);
  for (int k = 0; k <= 50; ++k) {
    const int x = 4 + (48 * k + 5) / 10;
    c.MoveTo(x, 124);
    c.LineTo(x, 124 + (k % 10 == 0 ? 14 : 8));
  }
  c.Pen()->SetColor(clRed);
  c.MoveTo(124, 124);
  c.LineTo(124, 157);
}

void Texts(TCanvas& c) {
  Caption(c, 250, 124, "text");
  struct TSample {
    const char* Family;
    bool Bold;
    const char* Text;
  } samples[] = {{"MS Sans Serif", false, "Roulis Tangage Cap"},
                 {"MS Sans Serif", true, "Mode 3D  COM3"},
                 {"Arial", false, "-20  -10  0  10  20  360"},
                 {"Tahoma", false, "AX-9 KQ3 \xC3\xA0 \xC3\xA9t\xC3\xA9"}};
  int y = 138;
  for (const TSample& s : samples) {
    c.Font()->SetName(s.Family);
    c.Font()->SetHeight(-11);
    c.Font()->SetColor(clBlack);
    c.Font()->SetStyle(s.Bold ? TFontStyles{fsBold} : TFontStyles{});
    c.TextOut(250, y, s.Text);
    y += c.TextHeight(s.Text);
  }
  // Clipped to a small box, and aligned bottom-centre in a bigger one, on a solid brush.
  c.Brush()->SetStyle(bsClear);
  c.Pen()->SetColor(clGray);
  c.Rectangle(310, 216, 360, 232);
  TRect box = Rect(311, 217, 359, 231);
  c.DrawText(box, "clipped to its box", {tfSingleLine, tfNoPrefix, tfVerticalCenter});
  c.Rectangle(370, 206, 470, 242);
  c.Brush()->SetColor(clYellow);
  TRect big = Rect(371, 207, 469, 241);
  c.DrawText(big, "&Centred", {tfSingleLine, tfCenter, tfBottom});
}

void Copies(TCanvas& c) {
  Caption(c, 4, 196, "key-colour copies: plain, x3, mirrored, upside down, solid brush");
  TBitmap pin;
  pin.LoadFromResourceName("TIWPIN");
  const TRect src = Rect(0, 0, pin.Width(), pin.Height());
  c.Brush()->SetStyle(bsClear);
  c.BrushCopy(Bounds(4, 214, 6, 9), pin, src, pin.TransparentColor());
  c.BrushCopy(Bounds(16, 214, 18, 27), pin, src, pin.TransparentColor());
  c.BrushCopy(Rect(58, 214, 40, 241), pin, src, pin.TransparentColor());  // mirrored
  c.BrushCopy(Rect(64, 241, 82, 214), pin, src, pin.TransparentColor());  // upside down
  c.Brush()->SetColor(clFuchsia);
  c.BrushCopy(Bounds(88, 214, 18, 27), pin, src, pin.TransparentColor());
  TBitmap strip;
  strip.LoadFromResourceName("BMCOUNTER");
  c.Draw(114, 214, strip);
  c.CopyRect(Bounds(114, 230, 180, 26), *strip.Canvas(), Rect(0, 0, 90, 13));
  TJPEGImage photo;
  photo.LoadFromResourceName("IMAGEKQ3");
  c.Draw(4, 262, photo);
  c.StretchDraw(Bounds(170, 262, 80, 51), photo);
  c.CopyRect(Rect(340, 262, 260, 313), *photo.Bitmap().Canvas(), Rect(0, 0, 160, 102));  // mirrored
}

TEST(Sampler, WritesThePictureOfEveryPrimitive) {
  TBitmap b(480, 368);
  Fill(b, clBtnFace);
  TCanvas& c = *b.Canvas();
  Lines(c);
  Shapes(c);
  Gradients(c);
  Texts(c);
  Copies(c);
  const std::string dir = ORVEL_BUILD_DIR;
  b.SaveToPNGFile(dir + "/gfx-sampler.png");
  TBitmap big(b.Width() * 3, b.Height() * 3);
  big.Canvas()->CopyRect(Rect(0, 0, big.Width(), big.Height()), c, Rect(0, 0, b.Width(), b.Height()));
  big.SaveToPNGFile(dir + "/gfx-sampler-x3.png");

  // Inside and just outside each item, where every GDI-like canvas agrees.
  const TColor face = ColorToRGB(clBtnFace);
  struct TProbe {
    int X, Y;
    TColor Color;
    const char* What;
  } probes[] = {
      {40, 40, clBlack, "the fan's vertical line"},
      {40, 18, face, "a line's end point is left out"},
      {100, 20, clBlack, "a dotted line starts with a dot"},
      {140, 21, face, "under the dotted line"},
      {140, 43, clRed, "the middle of the wide line"},
      {140, 37, face, "above the wide line"},
      {100, 60, clBlue, "the polyline's first point"},
      {115, 52, clBlue, "a polyline corner"},
      {175, 52, face, "the polyline's last point is left out"},
      {200, 18, clBlack, "the rectangle's corner"},
      {239, 47, clBlack, "the rectangle's far corner, inside its box"},
      {220, 33, clLime, "inside the rectangle"},
      {240, 33, face, "right of the rectangle"},
      {220, 48, face, "below the rectangle"},
      {273, 33, clAqua, "inside the ellipse"},
      {273, 18, clBlack, "the ellipse's top"},
      {249, 19, face, "outside the ellipse's corner"},
      {325, 40, clRed, "inside the triangle"},
      {308, 22, face, "outside the triangle"},
      {375, 22, clYellow, "a point of the star"},
      {424, 33, face, "inside the clear rectangle"},
      {443, 18, clBlack, "the dotted rectangle's first corner, where its path starts"},
      {453, 30, clWhite, "the lamp's ring, upper-left half"},
      {474, 30, clGray, "the lamp's ring, lower-right half"},
      {464, 30, clRed, "the lamp's core"},
      {453, 19, face, "outside the lamp"},
      {4, 82, clNavy, "a gradient's first colour"},
      {404, 82, clWhite, "the bevel's light edge"},
      {443, 117, clGray, "the bevel's dark edge"},
      {424, 100, clMaroon, "inside the bevel"},
      {124, 140, clRed, "the meter's index line"},
      {4, 124, clBlack, "the meter's first tick"},
  };
  for (const TProbe& p : probes) EXPECT_EQ(b.PixelColor(p.X, p.Y), p.Color) << p.What << " at " << p.X << "," << p.Y;

  // Text stays inside the box it is clipped to: the gray frame around that box is whole.
  for (int x = 310; x < 360; ++x) {
    EXPECT_EQ(b.PixelColor(x, 216), clGray) << "frame top at " << x;
    EXPECT_EQ(b.PixelColor(x, 231), clGray) << "frame bottom at " << x;
  }
  // A key-colour copy never shows the key colour, and over a solid brush shows the brush there.
  TBitmap pin;
  pin.LoadFromResourceName("TIWPIN");
  const TColor key = ColorToRGB(pin.TransparentColor());
  for (const TRect& r : {Bounds(4, 214, 6, 9), Bounds(16, 214, 18, 27), Rect(40, 214, 59, 241), Bounds(88, 214, 18, 27)})
    EXPECT_EQ(Count(b, r, key), 0) << "key colour in the copy at " << r.Left << "," << r.Top;
  EXPECT_GT(Count(b, Bounds(88, 214, 18, 27), clFuchsia), 0) << "the brush shows where the key colour was";
  // A plain copy of the photograph is pixel for pixel the photograph.
  TJPEGImage photo;
  photo.LoadFromResourceName("IMAGEKQ3");
  for (const TPoint& at : {TPoint{0, 0}, TPoint{80, 50}, TPoint{159, 101}})
    EXPECT_EQ(b.PixelColor(4 + at.X, 262 + at.Y), photo.Bitmap().PixelColor(at.X, at.Y));
}

}  // namespace
