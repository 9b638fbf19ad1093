#pragma once
#include <cstdint>
#include <string>

#include "platform/gfx/Color.h"
#include "platform/gfx/Types.h"

class TBitmap;
class TCanvas;

// Where an image stands relative to its caption.
enum TVrImageTextLayout : uint8_t { ImageLeft, ImageRight, ImageTop, ImageBottom };

// Stateless drawing helpers shared by the instrument controls. They draw only through the
// canvas they are given.

inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
// (0, 0, width, height) of the bitmap.
TRect BitmapBounds(const TBitmap& Bitmap);
inline bool SameRect(const TRect& A, const TRect& B) { return A == B; }

// A system colour replaced by its current value; any other colour unchanged.
TColor ResolveColor(TColor Color);
// The red, green and blue bytes of ResolveColor(Color).
void SplitRGB(TColor Color, uint8_t& R, uint8_t& G, uint8_t& B);

// A banded gradient from FromColor to ToColor over Rect (styles below), BandSize pixels per
// band (a size below 1 counts as 1). Band styles fill with the brush and leave it the last
// band's colour; line styles draw with the pen, leaving it the last colour and BandSize wide.
//   1 top to bottom            2 left to right (one band more: the last lies at Right)
//   3 diagonal from top-left   4 diagonal from bottom-left   (lines, clipped to Rect)
//   5 mirrored top to bottom   6 mirrored left to right (both ends FromColor, ToColor at
//                                                        the middle)
//   any other style draws nothing.
// Where a style's divisor is 0 (an extent too small) the bands take FromColor.
void GradientFill(TCanvas& Canvas, const TRect& Rect, TColor FromColor, TColor ToColor, int Style,
                  int BandSize);

// A Width-pixel 3D frame just inside Rect: TopLeft along the top and left edges, BottomRight
// along the bottom and right. Rect comes back as the frame's interior.
void DrawBevel(TCanvas& Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight, int Width);

// Places an image of ImageSize and Caption (measured on Canvas, line breaks honoured, "&"
// taken literally) in Client, moved by Offset. Margin is the gap from the edge to the image,
// Spacing the gap between image and caption; -1 asks for an even share of the free space.
// Gives the image's top-left corner and the caption's rectangle.
void CalcImageTextLayout(TCanvas& Canvas, const TRect& Client, const TPoint& Offset,
                         const std::string& Caption, TVrImageTextLayout Layout, int Margin,
                         int Spacing, const TPoint& ImageSize, TPoint& ImagePos, TRect& TextBounds);
