#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Pen.h"
#include "platform/gfx/Types.h"

// A set of pixels within Bounds (surface coordinates), one byte each: the inside of a clip
// polygon, or what a wide pen covers.
struct TPixelMask {
  TRect Bounds;
  std::vector<uint8_t> Inside;
  bool Contains(int x, int y) const {
    return x >= Bounds.Left && x < Bounds.Right && y >= Bounds.Top && y < Bounds.Bottom &&
           Inside[size_t(y - Bounds.Top) * size_t(Bounds.Width()) + size_t(x - Bounds.Left)];
  }
};

// Pixel writing for the primitives: surface coordinates, every write clipped to Clip and to
// the clip polygon. A primitive converts its canvas coordinates with ToSurface first.
struct TRaster {
  // Inline: every primitive call makes one, a meter paint some hundreds.
  explicit TRaster(const TCanvas& c) : Origin(c.FOrigin), Clip(c.FClip), Mask(c.FMask.get()) {
    TBitmap* s = c.FSurface;
    if (!s || s->Width() == 0 || s->Height() == 0) return;
    Pixels = s->Pixels();
    Stride = s->Stride();
    Clip = IntersectRect(Clip, Rect(0, 0, s->Width(), s->Height()));
  }

  bool Empty() const { return Pixels == nullptr || Clip.IsEmpty(); }
  TPoint ToSurface(int x, int y) const { return TPoint{x + Origin.X, y + Origin.Y}; }
  TRect ToSurface(const TRect& r) const { return OffsetRect(r, Origin.X, Origin.Y); }
  // Narrows the clip further (surface coordinates).
  void Restrict(const TRect& r) { Clip = IntersectRect(Clip, r); }

  // Paints [x0, x1) of row y.
  void Span(int y, int x0, int x1, uint32_t pixel, TPenMode mode = pmCopy) const;
  void Plot(int x, int y, uint32_t pixel, TPenMode mode = pmCopy) const {
    if (Visible(x, y)) Apply(Pixels[size_t(y) * size_t(Stride) + size_t(x)], pixel, mode);
  }
  // Mixes pixel into (x, y) by coverage (0-255), for anti-aliased text.
  void Blend(int x, int y, uint32_t pixel, unsigned coverage) const;
  // pixel * coverage + dst * (255 - coverage), each channel divided by 255 and rounded (so
  // coverage 255 gives pixel and 0 gives dst, the unused top byte cleared). Red and blue go
  // together in one word: no lane exceeds 16 bits, and (v + 1 + (v >> 8)) >> 8 is exactly
  // v / 255 for every v these sums reach.
  static uint32_t Mix(uint32_t dst, uint32_t pixel, unsigned coverage) {
    const uint32_t inv = 255 - coverage;
    uint32_t rb = (pixel & 0xFF00FFu) * coverage + (dst & 0xFF00FFu) * inv + 0x7F007Fu;
    const uint32_t g = ((pixel >> 8) & 0xFFu) * coverage + ((dst >> 8) & 0xFFu) * inv + 0x7Fu;
    rb = ((rb + 0x010001u + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    return rb | ((g + 1 + (g >> 8)) & 0xFF00u);  // the quotient lands in the green byte
  }
  bool Visible(int x, int y) const {
    return x >= Clip.Left && x < Clip.Right && y >= Clip.Top && y < Clip.Bottom &&
           (!Mask || Mask->Contains(x, y));
  }
  uint32_t* Row(int y) const { return Pixels + size_t(y) * size_t(Stride); }

  static void Apply(uint32_t& dst, uint32_t pixel, TPenMode mode) {
    switch (mode) {
      case pmCopy: dst = pixel; break;
      case pmNot: dst = ~dst & 0xFFFFFFu; break;
      case pmXor: dst ^= pixel; break;
    }
  }

  uint32_t* Pixels = nullptr;
  int Stride = 0;
  TPoint Origin;
  TRect Clip;
  const TPixelMask* Mask = nullptr;
};

// The spans [x0, x1) on row y inside a polygon by the alternate rule, for rows
// Top <= y < Bottom. Points are in the same coordinates as the rows. Each pixel (x, y) is
// sampled at (x + at, y + at): 0.5 takes the points as pixel corners (a clip region), 0 as
// pixel centres, where lines put them, so a filled polygon meets its own outline.
template <typename F>
void ForEachPolygonSpan(std::span<const TPoint> points, int top, int bottom, double at, F&& span);

// The pixels of a line from a to b without b, in surface coordinates, for every step whose
// major coordinate lies within [lo, hi): calls plot(x, y, step). `before` and `after` extend
// the line by that many steps past a and up to b (b itself is step `after` = 1).
template <typename F>
void ForEachLinePixel(TPoint a, TPoint b, int lo, int hi, long long before, long long after, F&& plot);

// n pixels of a row copied but for those of the key colour, which are left alone or painted
// in the brush's colour (the key-colour copies).
void CopyRowExceptKey(uint32_t* out, const uint32_t* in, size_t n, uint32_t key);
void CopyRowKeyAsBrush(uint32_t* out, const uint32_t* in, size_t n, uint32_t key, uint32_t brush);
// n pixels of a row mixed with ink by their coverage (TRaster::Mix); a pixel of coverage 0 is
// left exactly as it was.
void BlendRow(uint32_t* out, const uint8_t* coverage, size_t n, uint32_t ink);

// Pens wider than one pixel (always solid). The pixels such a pen covers along a path
// (surface coordinates, only those within r's clip): every segment a band as wide as the pen
// measured across the segment, and on every point a disc of the pen's width, which gives
// round ends and round joins. `closed` adds the segment from the last point back to the first.
TPixelMask WidePenPixels(const TRaster& r, std::span<const TPoint> path, int width, bool closed);
// Paints each pixel of the set once.
void PaintPixels(const TRaster& r, const TPixelMask& set, uint32_t pixel, TPenMode mode);
// Paints [x0, x1) of row y but for the pixels of `except`: a shape's fill under its wide outline,
// which each pixel takes once, whatever the pen mode.
void SpanOutside(const TRaster& r, const TPixelMask& except, int y, int x0, int x1, uint32_t pixel, TPenMode mode);

#include "platform/gfx/RasterScan.inl"
