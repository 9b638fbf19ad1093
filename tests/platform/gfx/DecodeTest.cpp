#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "PixelSupport.h"
#include "platform/gfx/Cursor.h"
#include "platform/gfx/GraphicsError.h"
#include "platform/gfx/JPEGImage.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/Resources.h"

namespace {

TEST(Resources, EveryPictureOfTheProgramIsEmbeddedByName) {
  for (const char* name : {"BMCOUNTER", "TIWPIN", "VRCURSORHANDPOINT", "IMAGEKQ3", "MAINICON"})
    EXPECT_TRUE(FindEmbeddedResource(name).has_value()) << name;
  EXPECT_TRUE(FindEmbeddedResource("tiwpin").has_value());  // names ignore case
  EXPECT_FALSE(FindEmbeddedResource("NOSUCH").has_value());
  EXPECT_THROW(EmbeddedResource("NOSUCH"), EResNotFound);
  const auto names = EmbeddedResourceNames();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(Resources, PinHasExactlyItsPixels) {
  TBitmap pin;
  pin.LoadFromResourceName("TIWPIN");
  ASSERT_EQ(pin.Width(), 6);
  ASSERT_EQ(pin.Height(), 9);
  EXPECT_EQ(Picture(pin, clBlue),
            "......\n"
            "......\n"
            "..##..\n"
            "..##..\n"
            "..##..\n"
            "..##..\n"
            ".####.\n"
            ".####.\n"
            ".####.\n");
  EXPECT_EQ(Count(pin, Rect(0, 0, 6, 9), clSilver), 54 - 20);
  EXPECT_EQ(pin.TransparentColor(), clSilver);
}

TEST(Resources, CounterStripHoldsTenLimeDigitsOnBlack) {
  TBitmap strip;
  strip.LoadFromResourceName("BMCOUNTER");
  ASSERT_EQ(strip.Width(), 90);
  ASSERT_EQ(strip.Height(), 13);
  const TRect all = Rect(0, 0, 90, 13);
  EXPECT_EQ(Count(strip, all, clLime) + Count(strip, all, clBlack), 90 * 13);
  // Each figure stays inside its 9 x 13 cell, about 7 x 11; "8" lights all seven bars.
  for (int d = 0; d < 10; ++d) {
    EXPECT_EQ(Count(strip, Rect(9 * d, 0, 9 * d + 1, 13), clLime), 0) << d;
    EXPECT_EQ(Count(strip, Rect(9 * d + 8, 0, 9 * d + 9, 13), clLime), 0) << d;
    EXPECT_EQ(Count(strip, Rect(9 * d, 0, 9 * d + 9, 1), clLime), 0) << d;
  }
  EXPECT_GT(Count(strip, Rect(72, 0, 81, 13), clLime), Count(strip, Rect(9, 0, 18, 13), clLime));
  EXPECT_EQ(Count(strip, Rect(9, 0, 13, 13), clLime), 0);  // "1" uses the right bars only
}

TEST(Resources, HandCursorHasItsHotSpotAtTheFingertip) {
  const TCursorImage c = LoadCursorFromResource("VRCURSORHANDPOINT");
  ASSERT_EQ(c.Width, 32);
  ASSERT_EQ(c.Height, 32);
  EXPECT_EQ(c.HotX, 10);
  EXPECT_EQ(c.HotY, 5);
  auto at = [&](int x, int y) { return size_t(y) * 32 + size_t(x); };
  EXPECT_EQ(c.Mask[at(10, 5)], 1);  // the black tip
  EXPECT_EQ(c.Image[at(10, 5)], 1);
  EXPECT_EQ(c.Mask[at(10, 4)], 0);  // above it: see-through
  EXPECT_EQ(c.Mask[at(10, 8)], 1);  // inside the finger: white
  EXPECT_EQ(c.Image[at(10, 8)], 0);
  EXPECT_EQ(c.Mask[at(0, 0)], 0);
}

TEST(Decoding, PhotographDecodesToItsSizeAndColours) {
  TJPEGImage jpeg;
  jpeg.LoadFromResourceName("IMAGEKQ3");
  ASSERT_EQ(jpeg.Width(), 160);
  ASSERT_EQ(jpeg.Height(), 102);
  // A light grey background at the corners, the dark sensor units in the middle.
  const TColor corner = jpeg.Bitmap().PixelColor(2, 2);
  EXPECT_GT(GetRValue(corner), 150);
  EXPECT_NEAR(GetRValue(corner), GetBValue(corner), 30);
  const TColor unit = jpeg.Bitmap().PixelColor(40, 55);
  EXPECT_LT(GetRValue(unit) + GetGValue(unit) + GetBValue(unit), 3 * 80);
}

// Both builds decode with the same libjpeg-turbo (the Windows one cross-built from the same
// source), in its exact integer mode: the photograph must come out pixel for pixel the same.
// The digest is of the Linux build's pixels; a build that differs writes what it decoded.
TEST(Decoding, PhotographHasTheSamePixelsOnEveryPlatform) {
  TJPEGImage jpeg;
  jpeg.LoadFromResourceName("IMAGEKQ3");
  const TBitmap& b = jpeg.Bitmap();
  uint64_t digest = 0xcbf29ce484222325u;  // FNV-1a over R, G, B of each pixel, row by row
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int shift : {16, 8, 0}) digest = (digest ^ ((b.ScanLine(y)[x] >> shift) & 0xFF)) * 0x100000001b3u;
  constexpr uint64_t LinuxDigest = 0xfdb161f52bad7a98u;
  if (digest != LinuxDigest) {
    const std::string path = std::string(ORVEL_BUILD_DIR) + "/decoded-IMAGEKQ3.png";
    b.SaveToPNGFile(path);
    ADD_FAILURE() << "digest 0x" << std::hex << digest << ", the decoded photograph is in " << path;
  }
}

TEST(Decoding, PictureKeepsAJpegOrABitmapAndNotifies) {
  TPicture p;
  int n = 0;
  p.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &p);
    ++n;
  };
  p.LoadFromResourceName("IMAGEKQ3");
  EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 160);
  EXPECT_EQ(n, 1);
  TBitmap out(160, 102);
  out.Canvas()->Draw(0, 0, *p.Graphic());
  EXPECT_EQ(out.PixelColor(50, 50), static_cast<TJPEGImage*>(p.Graphic())->Bitmap().PixelColor(50, 50));

  p.LoadFromResourceName("MAINICON");
  EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 32);
  EXPECT_EQ(n, 2);
  const std::vector<uint8_t> junk = {1, 2, 3, 4, 5};
  EXPECT_THROW(p.LoadFromData(junk), EInvalidGraphic);
  EXPECT_EQ(p.Width(), 32);  // the previous picture stays
  TPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Width(), 32);
  EXPECT_NE(q.Graphic(), p.Graphic());
}

// A BMP file of w x h pixels at the given depth with the given pixel bytes (rows bottom-up).
std::vector<uint8_t> Bmp(int w, int h, int bits, std::vector<uint8_t> palette, std::vector<uint8_t> pixels,
                         uint32_t compression = 0) {
  std::vector<uint8_t> f(54);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&f[at], &v, 2); };
  f[0] = 'B', f[1] = 'M';
  put32(10, uint32_t(54 + palette.size()));
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  put16(26, 1);
  put16(28, uint16_t(bits));
  put32(30, compression);
  put32(46, uint32_t(palette.size() / 4));
  f.insert(f.end(), palette.begin(), palette.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  put32(2, uint32_t(f.size()));
  return f;
}

TEST(Decoding, BmpDepthsDecodeToTheSameColours) {
  // Two pixels per row, two rows: top row red, blue; bottom row lime, white.
  TBitmap b24, b32, b8, rle;
  b24.LoadFromBMPData(Bmp(2, 2, 24, {}, {0, 255, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0}));
  b32.LoadFromBMPData(Bmp(2, 2, 32, {}, {0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0}));
  // Palette: red, lime, blue, white.
  const std::vector<uint8_t> pal = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  b8.LoadFromBMPData(Bmp(2, 2, 8, pal, {1, 3, 0, 0, 0, 2, 0, 0}));
  rle.LoadFromBMPData(Bmp(2, 2, 8, pal, {1, 1, 1, 3, 0, 0, 1, 0, 1, 2, 0, 1}, 1));
  for (TBitmap* b : {&b24, &b32, &b8, &rle}) {
    ASSERT_EQ(b->Width(), 2);
    EXPECT_EQ(b->PixelColor(0, 0), clRed);
    EXPECT_EQ(b->PixelColor(1, 0), clBlue);
    EXPECT_EQ(b->PixelColor(0, 1), clLime);
    EXPECT_EQ(b->PixelColor(1, 1), clWhite);
  }
}

TEST(Decoding, DamagedFilesAreRefusedAndLeaveTheBitmapAlone) {
  TBitmap b(3, 3);
  std::vector<uint8_t> ok = Bmp(2, 2, 24, {}, std::vector<uint8_t>(16, 0));
  std::vector<uint8_t> truncated(ok.begin(), ok.end() - 4);
  EXPECT_THROW(b.LoadFromBMPData(truncated), EInvalidGraphic);
  std::vector<uint8_t> huge = Bmp(100000, 100000, 24, {}, {});
  EXPECT_THROW(b.LoadFromBMPData(huge), EInvalidGraphic);
  std::vector<uint8_t> header(ok.begin(), ok.begin() + 20);
  EXPECT_THROW(b.LoadFromBMPData(header), EInvalidGraphic);
  EXPECT_THROW(b.LoadFromBMPData(std::vector<uint8_t>{}), EInvalidGraphic);
  EXPECT_EQ(b.Width(), 3);
  TJPEGImage j;
  std::vector<uint8_t> cut(EmbeddedResource("IMAGEKQ3").begin(), EmbeddedResource("IMAGEKQ3").begin() + 300);
  EXPECT_THROW(j.LoadFromData(cut), EInvalidGraphic);
  EXPECT_THROW(j.LoadFromData(std::vector<uint8_t>(10, 0xFF)), EInvalidGraphic);
  EXPECT_TRUE(j.Empty());
}

TEST(Decoding, PngIsWrittenAndBitmapsTooLargeAreRefused) {
  TBitmap b(4, 4);
  Fill(b, clRed);
  const std::string path = std::string(ORVEL_BUILD_DIR) + "/gfx-test-red.png";
  b.SaveToPNGFile(path);
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char sig[8] = {};
  EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(sig[1], 'P');
  EXPECT_THROW(b.SaveToPNGFile("/nonexistent-dir/x.png"), EInvalidGraphic);
  EXPECT_THROW(b.SetSize(100000, 100000), EInvalidGraphic);
}

}  // namespace
