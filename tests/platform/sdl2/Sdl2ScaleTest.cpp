#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/backend/sdl2/Sdl2Scale.h"

namespace {

TEST(DesktopScale, GdkScaleWinsWhenWholeOtherwiseXftDpiOver96Rounded) {
  struct Case {
    const char* Gdk;
    const char* Dpi;
    int Scale;
  };
  const Case cases[] = {
      {nullptr, nullptr, 1}, {nullptr, "96", 1},  {nullptr, "192", 2},   {nullptr, "144", 2},
      {nullptr, "143", 1},   {nullptr, "288.0", 3}, {nullptr, " 192 ", 2}, {"2", nullptr, 2},
      {"3", "96", 3},        {"1", "192", 1},     {"2 ", nullptr, 2},
      // A GDK_SCALE that is no whole number of at least 1 says nothing.
      {"0", "192", 2}, {"-2", "192", 2}, {"1.5", "96", 1}, {"", "192", 2}, {"x", nullptr, 1},
      // Never below 1, never above 4.
      {nullptr, "40", 1}, {nullptr, "0", 1}, {nullptr, "-192", 1}, {nullptr, "nan", 1}, {nullptr, "inf", 1},
      {nullptr, "1e300", 4}, {nullptr, "960", 4}, {"9", nullptr, 4}, {"99999999999999999999", nullptr, 1},
      {nullptr, "192dpi", 1}};
  for (const Case& c : cases)
    EXPECT_EQ(DesktopScale(c.Gdk, c.Dpi), c.Scale)
        << "GDK_SCALE " << (c.Gdk ? c.Gdk : "unset") << ", Xft.dpi " << (c.Dpi ? c.Dpi : "unset");
}

TEST(DesktopScale, PointerPositionsRoundDownSoThatOutsideTheWindowStaysOutside) {
  const TScreenScale two{2, false}, three{3, false};
  EXPECT_EQ(two.Pointer(0), 0);
  EXPECT_EQ(two.Pointer(1), 0);
  EXPECT_EQ(two.Pointer(511), 255);
  EXPECT_EQ(two.Pointer(512), 256);
  EXPECT_EQ(two.Pointer(-1), -1);
  EXPECT_EQ(two.Pointer(-2), -1);
  EXPECT_EQ(two.Pointer(-3), -2);
  EXPECT_EQ(three.Pointer(-1), -1);
  EXPECT_EQ(three.Pointer(8), 2);
  EXPECT_EQ(TScreenScale{}.Pointer(-1), -1);
}

TEST(DesktopScale, EachPixelOfTheRectangleBecomesABlockAndNothingElseIsWritten) {
  // A 4 x 3 buffer in rows of 5, the last pixel of each row not the buffer's.
  std::vector<uint32_t> buffer(15);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = uint32_t(0x010101 * (i + 1));
  const TPixelView view{buffer.data(), 4, 3, 5};
  for (int scale : {2, 3}) {
    SCOPED_TRACE(scale);
    // A target wider than the enlargement (rows of its pitch), filled with a mark.
    const int width = 4 * scale + 3, height = 3 * scale;
    const uint32_t mark = 0xDEADBEEF;
    std::vector<uint32_t> target(size_t(width * height), mark);
    const TRect r = Rect(1, 1, 3, 3);
    EnlargeRect(view, r, scale, target.data(), width * 4);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int bx = x / scale, by = y / scale;
        const bool inside = bx >= r.Left && bx < r.Right && by >= r.Top && by < r.Bottom && x < 4 * scale;
        const uint32_t expected = inside ? buffer[size_t(by * 5 + bx)] : mark;
        ASSERT_EQ(target[size_t(y * width + x)], expected) << "at " << x << "," << y;
      }
  }
}

TEST(DesktopScale, IconsAndCursorsGetSharpEnlargementsOfTheSizesNotGiven) {
  TIconImage large{32, 32, std::vector<uint32_t>(32 * 32, 0x0000FF), std::vector<uint8_t>(32 * 32, 255)};
  large.Pixels[31 * 32 + 31] = 0xFF0000;
  large.Alpha[0] = 0;
  TIconImage small{16, 16, std::vector<uint32_t>(16 * 16, 0x00FF00), {}};
  const std::vector<TIconImage> sizes = WithEnlargedIcons({large, small}, 2);
  // 16 enlarged would be 32, which is given: only the 64 is added, after the originals.
  ASSERT_EQ(sizes.size(), 3u);
  EXPECT_EQ(sizes[0].Pixels, large.Pixels);
  EXPECT_EQ(sizes[1].Pixels, small.Pixels);
  const TIconImage& big = sizes[2];
  ASSERT_EQ(big.Width, 64);
  ASSERT_EQ(big.Height, 64);
  EXPECT_EQ(big.Argb(62 * 64 + 62), 0xFFFF0000u);
  EXPECT_EQ(big.Argb(63 * 64 + 63), 0xFFFF0000u);
  EXPECT_EQ(big.Argb(61 * 64 + 62), 0xFF0000FFu);
  EXPECT_EQ(big.Argb(1 * 64 + 1), 0x000000FFu) << "transparency is enlarged with the pixels";
  EXPECT_EQ(big.Argb(2), 0xFF0000FFu);
  EXPECT_EQ(WithEnlargedIcons({small}, 1).size(), 1u);

  const std::vector<uint8_t> bits = {1, 0, 0, 1, 1, 0};  // 3 x 2
  EXPECT_EQ(EnlargeBits(bits, 3, 2, 2), (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0,  //
                                                              1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ(EnlargeBits(bits, 3, 2, 1), bits);
}

}  // namespace
