#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/gfx/Brush.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/Pen.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/Types.h"

class TBitmap;
class TFont;
class TGraphic;
struct TPixelMask;

// Drawing onto a surface (a TBitmap) through an origin and a clip.
//
// Coordinates given to a canvas are its own: (0, 0) lies at Origin on the surface. Every
// pixel drawn lies inside the clip rectangle (surface coordinates, always inside the
// surface) and, while one is set, inside the clip polygon. A windowless control's canvas is
// its parent's back buffer moved to the control's origin and clipped to its bounds; a
// bitmap's own canvas has origin (0, 0) and the whole bitmap as clip. Without a surface a
// canvas draws nothing and measures text all the same.
//
// The rules of the primitives:
//   - MoveTo/LineTo and Polyline paint the start point of each segment and leave its end point;
//     PenPos follows the path. A step that falls exactly half-way between two pixels takes
//     the one GDI takes for that direction. A dotted pattern starts afresh with each LineTo
//     and runs on along a polyline or an outline.
//   - A pen wider than 1 is solid and geometric, as GDI's: each segment is a band as wide as
//     the pen measured across it, with round ends and round joins (a line of no length leaves
//     a dot); the pixels of a whole path are painted once.
//   - Rectangle and Ellipse take a bounding box whose right and bottom edges lie outside:
//     Rectangle(0, 0, 10, 5) covers columns 0-9 and rows 0-4, its outline on the outermost
//     ones; the ellipse is inscribed in the same box. Both are filled with the brush (unless
//     clear) and outlined with the pen (unless psClear): a one-pixel outline on the box's
//     outermost pixels, a wide one centred on them, so half of it lies outside the box. As GDI
//     draws them: a 1 by 1 box draws nothing with a one-pixel pen, and without a pen the fill
//     leaves the right column and bottom row out; the pen's mode applies to the fill as well,
//     which leaves a wide outline's pixels alone.
//   - Polygon fills with the brush by the alternate (even-odd) rule, its points being pixel
//     centres as they are for lines (left and top edges in, right and bottom edges out), then
//     outlines the closed path with the pen as lines do: fill and outline meet without a gap.
//     The fill takes the pen's mode, as the other shapes' fills do.
//   - FillRect paints the rectangle (right and bottom exclusive) with the brush only, so a
//     clear brush paints nothing.
//   - Text: see DrawText. Glyphs are drawn in the font's colour (outline fonts anti-aliased,
//     bitmap fonts as their pixels are); with a solid brush the text's cells are first filled
//     with the brush colour.
//   - Copies read the source surface and write through this canvas's clip; source pixels
//     outside their surface are skipped.
//
// User-interface thread only. Lock/Unlock mark a canvas as in use for the length of a paint.
class TCanvas {
 public:
  TCanvas();
  // A canvas on Surface with (0, 0) at Origin, drawing only inside Clip (surface coordinates).
  TCanvas(TBitmap* Surface, TPoint Origin, TRect Clip);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Points the canvas at another surface (nullptr: none); any clip polygon is removed.
  void SetTarget(TBitmap* Surface, TPoint Origin, TRect Clip);
  TBitmap* Surface() const { return FSurface; }
  TPoint Origin() const { return FOrigin; }
  // Moves (0, 0) by (DX, DY); the clip stays where it is on the surface.
  void Translate(int DX, int DY);
  // The clip rectangle in the canvas's own coordinates (empty without a surface).
  TRect ClipRect() const;
  // Narrows the clip to R (canvas coordinates).
  void IntersectClipRect(const TRect& R);
  // Narrows drawing to the inside of the polygon (canvas coordinates, alternate fill rule,
  // the same pixels as Polygon fills), on top of the clip rectangle, until RemoveClipRegion.
  void ClipToPolygon(std::span<const TPoint> Points);
  void RemoveClipRegion();
  bool HasClipRegion() const { return FMask != nullptr; }

  TPen* Pen() { return &FPen; }
  const TPen* Pen() const { return &FPen; }
  TBrush* Brush() { return &FBrush; }
  const TBrush* Brush() const { return &FBrush; }
  TFont* Font() const { return FFont.get(); }
  // Copies AFont into the canvas's font (as assigning a control's font does).
  void SetFont(const TFont* AFont);

  // One pixel in canvas coordinates: its colour (clNone outside the clip), or set it.
  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor Color);

  TPoint PenPos() const { return FPenPos; }
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Polyline(std::span<const TPoint> Points);
  void Polygon(std::span<const TPoint> Points);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void FillRect(const TRect& R);
  // A one-pixel frame in the brush colour along R's edges (right and bottom exclusive);
  // nothing under a clear brush.
  void FrameRect(const TRect& R);

  // Text in the current font. TextExtent measures one line (line breaks measure as
  // nothing); an empty string measures 0 by 0, any other has the font's cell height.
  TSize TextExtent(const std::string& Text) const;
  int TextWidth(const std::string& Text) const { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) const { return TextExtent(Text).cy; }
  // Text with its cell's top-left corner at (X, Y), unclipped but for the canvas's clip.
  void TextOut(int X, int Y, const std::string& Text);
  // Text at (X, Y), clipped to R; a solid brush fills the whole of R first.
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  // Text laid out in R by Format (see TTextFormat): left, centred or right; top, vertically
  // centred or bottom (single line only). Returns the height of the text. With tfCalcRect
  // nothing is drawn and R becomes the extent: Right = Left + widest line, Bottom = Top +
  // lines x cell height (an empty text leaves R with no width and no height).
  int DrawText(TRect& R, const std::string& Text, TTextFormat Format);

  // Plain copy: the picture at its natural size with its top-left corner at (X, Y).
  void Draw(int X, int Y, const TGraphic& Graphic);
  // The picture scaled onto R.
  void StretchDraw(const TRect& R, const TGraphic& Graphic);
  // Copies SourceRect of Source (its canvas coordinates) onto Dest, scaled when the sizes
  // differ (GDI's choice of pixels: whole rows and columns repeated or dropped). A rectangle
  // whose second corner lies left of or above its first mirrors the copy along that axis and
  // covers, along it, the pixels from the second corner + 1 to the first (as GDI takes a
  // negative extent): Dest from x = 8 to x = 2 covers columns 3-8.
  void CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect);
  // The key-colour copy: SourceRect of Bitmap onto Dest, scaled and mirrored as CopyRect.
  // Source pixels of KeyColor (a system colour is resolved) are left out under a clear brush
  // and painted in the brush colour under a solid one.
  void BrushCopy(const TRect& Dest, const TBitmap& Bitmap, const TRect& SourceRect, TColor KeyColor);

  void Lock();
  void Unlock();
  int LockCount() const { return FLockCount; }

 private:
  friend class TCanvasState;
  friend struct TRaster;

  TBitmap* FSurface = nullptr;
  TPoint FOrigin;
  TRect FClip;
  std::shared_ptr<const TPixelMask> FMask;
  TPen FPen;
  TBrush FBrush;
  std::unique_ptr<TFont> FFont;
  TPoint FPenPos;
  int FLockCount = 0;
  std::recursive_mutex FLock;
};

// Saves a canvas's origin, clip rectangle and clip polygon and puts them back when it goes
// out of scope, so nested painting cannot leave them changed.
class TCanvasState {
 public:
  explicit TCanvasState(TCanvas& ACanvas);
  ~TCanvasState();
  TCanvasState(const TCanvasState&) = delete;
  TCanvasState& operator=(const TCanvasState&) = delete;

 private:
  TCanvas& FCanvas;
  TBitmap* FSurface;
  TPoint FOrigin;
  TRect FClip;
  std::shared_ptr<const TPixelMask> FMask;
};
