// The drawing cases on which the canvas is compared with a real GDI: plain data, shared by the
// Windows program that draws them with GDI calls into a DIB section and the test that draws
// them through TCanvas. Each case starts on a white picture with a black one-pixel pen and a
// white solid brush, as a fresh canvas and a fresh device context both do.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gdicases {

enum TOp {
  opPen,       // style (0 solid, 1 dotted, 2 clear), width, colour, mode (0 copy, 1 not, 2 xor)
  opBrush,     // colour: a solid brush
  opNoBrush,   // a clear brush
  opMoveTo,    // x, y
  opLineTo,    // x, y
  opPolyline,  // x, y pairs
  opPolygon,   // x, y pairs
  opRectangle, // x1, y1, x2, y2
  opEllipse,   // x1, y1, x2, y2
  opFillRect,  // left, top, right, bottom
  opFrameRect, // left, top, right, bottom
  opClip,      // x, y pairs: the clip polygon
  opNoClip,
  opCopy,      // destination x1, y1, x2, y2, then the pattern's x1, y1, x2, y2
  opKeyCopy,   // as opCopy, under the key colour of the pattern
};

struct TStep {
  TStep(TOp op, std::vector<int> args = {}) : Op(op), Args(std::move(args)) {}
  TOp Op;
  std::vector<int> Args;
};

struct TCase {
  TCase(std::string name, int width, int height, std::vector<TStep> steps, std::string wineNote = {})
      : Name(std::move(name)), Width(width), Height(height), Steps(std::move(steps)), WineNote(std::move(wineNote)) {}
  std::string Name;
  int Width;
  int Height;
  std::vector<TStep> Steps;
  // Set where Wine is not a faithful stand-in for Windows on this case: the reason. A marked
  // case is still drawn and compared; a difference is reported, not failed.
  std::string WineNote;
};

// The picture copies read: 8 by 6 pixels, each of its own colour (0x00RRGGBB), and every
// third one on a diagonal in the key colour.
constexpr int kPatternWidth = 8, kPatternHeight = 6;
constexpr uint32_t kKeyPixel = 0xFF00FF;
inline uint32_t PatternPixel(int x, int y) {
  if ((x + 2 * y) % 5 == 0) return kKeyPixel;
  return uint32_t(x * 30) << 16 | uint32_t(y * 45) << 8 | uint32_t(100 + 10 * x + 20 * y);
}

// Colours as the canvas and GDI take them: 0x00BBGGRR.
constexpr int kBlack = 0x000000, kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x008000, kGray = 0x808080,
              kYellow = 0x00FFFF, kMaroon = 0x000080, kWhite = 0xFFFFFF;

inline TStep Pen(int style, int width, int colour, int mode = 0) { return {opPen, {style, width, colour, mode}}; }
inline TStep Brush(int colour) { return {opBrush, {colour}}; }

// Lines from the centre of a 31 by 31 picture to every point of a square ring of radius r,
// outward or inward: all octants, and the slopes whose minor step falls half-way.
inline TCase Star(const std::string& name, int r, bool inward) {
  TCase c{name, 31, 31, {}};
  const int m = 15;
  std::vector<std::pair<int, int>> ends;
  for (int i = -r; i < r; ++i) ends.push_back({i, -r});
  for (int i = -r; i < r; ++i) ends.push_back({r, i});
  for (int i = r; i > -r; --i) ends.push_back({i, r});
  for (int i = r; i > -r; --i) ends.push_back({-r, i});
  for (size_t k = 0; k < ends.size(); k += 1) {
    c.Steps.push_back(Pen(0, 1, int(0x10000 * (k * 37 % 200) + 0x100 * (k * 91 % 256) + k * 53 % 256)));
    const int x = m + ends[k].first, y = m + ends[k].second;
    c.Steps.push_back(inward ? TStep{opMoveTo, {x, y}} : TStep{opMoveTo, {m, m}});
    c.Steps.push_back(inward ? TStep{opLineTo, {m, m}} : TStep{opLineTo, {x, y}});
  }
  return c;
}

inline std::vector<TCase> Cases() {
  std::vector<TCase> v;
  // Lines.
  v.push_back(Star("LinesOutward", 14, false));
  v.push_back(Star("LinesInward", 14, true));
  v.push_back(Star("ShortLinesOutward", 3, false));
  v.push_back(Star("ShortLinesInward", 3, true));
  v.push_back({"LineTies", 40, 24, {
      {opMoveTo, {1, 1}}, {opLineTo, {9, 3}}, {opMoveTo, {1, 5}}, {opLineTo, {5, 6}}, {opMoveTo, {9, 9}},
      {opLineTo, {1, 7}}, {opMoveTo, {12, 1}}, {opLineTo, {14, 9}}, {opMoveTo, {18, 9}}, {opLineTo, {16, 1}},
      {opMoveTo, {20, 1}}, {opLineTo, {38, 4}}, {opMoveTo, {38, 8}}, {opLineTo, {20, 5}},
      {opMoveTo, {2, 22}}, {opLineTo, {12, 13}}, {opMoveTo, {25, 22}}, {opLineTo, {15, 20}},
      {opMoveTo, {30, 12}}, {opLineTo, {33, 22}}, {opMoveTo, {37, 22}}, {opLineTo, {35, 12}}}});
  v.push_back({"PointsAndPenPath", 24, 24, {
      {opMoveTo, {3, 3}}, {opLineTo, {3, 3}}, {opLineTo, {20, 3}}, {opLineTo, {20, 20}}, {opLineTo, {3, 12}},
      {opLineTo, {3, 4}}}});
  v.push_back({"Polyline", 30, 24, {
      Pen(0, 1, kBlue), {opPolyline, {2, 2, 27, 2, 27, 21, 2, 21, 2, 3, 14, 12, 25, 4}}}});
  v.push_back({"PenModes", 24, 24, {
      Brush(kYellow), {opFillRect, {0, 0, 12, 24}}, Pen(0, 1, kRed, 1), {opMoveTo, {2, 4}}, {opLineTo, {22, 4}},
      Pen(0, 1, kRed, 2), {opMoveTo, {2, 8}}, {opLineTo, {22, 14}}, {opRectangle, {3, 16, 20, 22}}}});
  // Dotted pens: along a path, with a solid brush filling the gaps and a clear one not.
  v.push_back({"DottedLines", 40, 24, {
      Pen(1, 1, kBlack), {opMoveTo, {1, 1}}, {opLineTo, {38, 1}}, {opMoveTo, {1, 3}}, {opLineTo, {30, 12}},
      {opMoveTo, {2, 22}}, {opLineTo, {2, 5}}, {opLineTo, {20, 20}}, {opLineTo, {36, 20}},
      Brush(kYellow), {opMoveTo, {5, 16}}, {opLineTo, {36, 16}}, {opNoBrush}, {opMoveTo, {5, 14}},
      {opLineTo, {36, 14}}}});
  v.push_back({"DottedRectangle", 30, 24, {
      {opNoBrush}, Pen(1, 1, kBlack), {opRectangle, {0, 0, 30, 24}}, {opRectangle, {3, 3, 14, 12}},
      Brush(kYellow), {opRectangle, {16, 3, 27, 20}}}});
  v.push_back({"DottedPolyline", 30, 24, {
      {opNoBrush}, Pen(1, 1, kRed), {opPolyline, {1, 1, 8, 1, 8, 9, 20, 15, 2, 22}}}});
  // Wide pens.
  v.push_back({"WideLines", 40, 40, {
      Pen(0, 2, kBlue), {opMoveTo, {3, 3}}, {opLineTo, {30, 3}}, {opMoveTo, {3, 8}}, {opLineTo, {30, 15}},
      Pen(0, 3, kRed), {opMoveTo, {4, 20}}, {opLineTo, {34, 24}}, {opMoveTo, {36, 4}}, {opLineTo, {36, 34}},
      Pen(0, 4, kGreen), {opMoveTo, {6, 36}}, {opLineTo, {24, 28}}, Pen(0, 5, kBlack), {opMoveTo, {10, 30}},
      {opLineTo, {10, 30}}}});
  v.push_back({"WideRectangleAndEllipse", 48, 24, {
      Pen(0, 3, kBlue), Brush(kYellow), {opRectangle, {3, 3, 20, 20}}, Pen(0, 2, kRed),
      {opEllipse, {25, 3, 45, 21}}}});
  v.push_back({"WidePolyline", 32, 32, {
      Pen(0, 3, kMaroon), {opPolyline, {3, 3, 28, 3, 28, 28, 10, 20}}}});
  // Wide pens under the xor mode (each pixel once, the fill beside the outline, not under it),
  // a 1 by 1 box, a dotted wide pen, filled polygons and an ellipse too narrow to round. A 3-pixel
  // wide one is left out: Wine fills its top and bottom rows differently from run to run.
  v.push_back({"WidePenShapes", 48, 36, {
      Pen(0, 3, kBlue, 2), Brush(kYellow), {opRectangle, {3, 3, 14, 12}}, {opPolyline, {18, 4, 34, 14, 34, 4, 18, 14}},
      Pen(0, 4, kRed), {opRectangle, {40, 4, 41, 5}}, Pen(1, 3, kGreen), {opMoveTo, {38, 10}}, {opLineTo, {45, 16}},
      Pen(0, 3, kBlack), Brush(kGray), {opPolygon, {4, 18, 14, 16, 10, 31}}, Pen(0, 2, kRed, 2),
      {opPolygon, {17, 18, 27, 20, 19, 31}}, Pen(0, 2, kMaroon), Brush(kGreen),
      {opEllipse, {35, 20, 37, 31}}, Pen(0, 5, kBlue), {opNoBrush}, {opEllipse, {39, 21, 46, 33}}}});
  // Polygons: convex, concave, self-intersecting (alternate rule), outline and fill.
  v.push_back({"PolygonConvex", 32, 32, {
      Pen(0, 1, kBlack), Brush(kYellow), {opPolygon, {15, 2, 29, 12, 24, 29, 5, 27, 2, 10}}}});
  v.push_back({"PolygonConcave", 32, 32, {
      Pen(0, 1, kBlue), Brush(kGreen), {opPolygon, {2, 2, 29, 2, 16, 14, 29, 29, 2, 29, 9, 15}}}});
  v.push_back({"PolygonSelfIntersecting", 32, 32, {
      Pen(0, 1, kRed), Brush(kGray), {opPolygon, {16, 1, 23, 30, 2, 11, 30, 11, 8, 30}}}});
  v.push_back({"PolygonWithoutPen", 32, 32, {
      Pen(2, 1, kBlack), Brush(kRed), {opPolygon, {16, 1, 23, 30, 2, 11, 30, 11, 8, 30}},
      Brush(kBlue), {opPolygon, {3, 3, 9, 3, 3, 9}}}});
  v.push_back({"PolygonClearBrush", 24, 24, {
      {opNoBrush}, {opPolygon, {2, 2, 21, 6, 12, 21}}}});
  v.push_back({"Triangles", 32, 24, {
      Pen(0, 1, kBlack), Brush(kRed), {opPolygon, {10, 1, 5, 9, 15, 9}}, {opPolygon, {20, 12, 28, 16, 20, 20}},
      Pen(2, 1, kBlack), {opPolygon, {2, 12, 12, 22, 2, 22}}}});
  // Rectangles and ellipses, odd and even, solid and clear.
  v.push_back({"Rectangles", 48, 32, {
      Pen(0, 1, kBlue), Brush(kYellow), {opRectangle, {1, 1, 10, 8}}, {opRectangle, {12, 1, 22, 9}},
      {opRectangle, {24, 1, 26, 3}}, {opRectangle, {28, 1, 29, 2}}, {opRectangle, {31, 1, 32, 6}},
      {opRectangle, {35, 8, 45, 1}}, {opNoBrush}, {opRectangle, {1, 12, 12, 20}},
      Pen(2, 1, kBlack), Brush(kRed), {opRectangle, {14, 12, 25, 21}}, {opRectangle, {27, 12, 28, 13}},
      {opRectangle, {30, 12, 32, 14}}, {opRectangle, {34, 12, 36, 20}}}});
  v.push_back({"Ellipses", 64, 40, {
      Pen(0, 1, kBlue), Brush(kYellow), {opEllipse, {1, 1, 10, 10}}, {opEllipse, {12, 1, 22, 11}},
      {opEllipse, {24, 1, 39, 8}}, {opEllipse, {41, 1, 48, 16}}, {opEllipse, {50, 1, 52, 3}},
      {opEllipse, {54, 1, 55, 2}}, {opEllipse, {57, 1, 60, 4}}, {opNoBrush}, {opEllipse, {1, 20, 14, 31}},
      Pen(2, 1, kBlack), Brush(kRed), {opEllipse, {16, 20, 27, 31}}, {opEllipse, {29, 20, 41, 32}},
      {opEllipse, {43, 20, 44, 21}}, {opEllipse, {46, 20, 48, 22}}}});
  v.push_back({"FillAndFrame", 32, 24, {
      Brush(kRed), {opFillRect, {1, 1, 10, 8}}, {opFrameRect, {12, 1, 22, 9}}, {opFrameRect, {24, 1, 25, 2}},
      {opFrameRect, {26, 1, 28, 3}}, {opFillRect, {29, 1, 31, 2}}, {opNoBrush}, {opFillRect, {1, 12, 10, 20}},
      {opFrameRect, {12, 12, 20, 20}}}});
  // Clip polygons, under fills, lines and ellipses.
  v.push_back({"ClipTriangle", 24, 24, {
      {opClip, {2, 2, 2, 21, 21, 2}}, Brush(kRed), {opFillRect, {0, 0, 24, 24}}}});
  v.push_back({"ClipPolygonShapes", 32, 32, {
      {opClip, {16, 1, 30, 16, 16, 30, 2, 16}}, Pen(0, 1, kBlue), Brush(kYellow), {opEllipse, {0, 0, 32, 32}},
      {opMoveTo, {0, 5}}, {opLineTo, {32, 27}}, {opNoClip}, {opMoveTo, {0, 28}}, {opLineTo, {10, 28}}}});
  v.push_back({"ClipSelfIntersecting", 32, 32, {
      {opClip, {16, 1, 23, 30, 2, 11, 30, 11, 8, 30}}, Brush(kGreen), {opFillRect, {0, 0, 32, 32}}}});
  // Copies: plain, scaled down and up, mirrored, and with a key colour.
  v.push_back({"CopyPlain", 24, 16, {
      {opCopy, {1, 1, 9, 7, 0, 0, 8, 6}}, {opCopy, {12, 2, 17, 6, 2, 1, 7, 5}}}});
  v.push_back({"CopyScaled", 48, 40, {
      {opCopy, {1, 1, 17, 13, 0, 0, 8, 6}}, {opCopy, {20, 1, 41, 7, 0, 0, 8, 6}}, {opCopy, {1, 16, 6, 20, 0, 0, 8, 6}},
      {opCopy, {8, 16, 11, 19, 0, 0, 8, 6}}, {opCopy, {14, 16, 27, 37, 0, 0, 8, 6}}, {opCopy, {30, 16, 37, 21, 0, 0, 8, 6}},
      {opCopy, {40, 16, 47, 39, 1, 1, 6, 4}}}});
  v.push_back({"CopyMirrored", 40, 24, {
      {opCopy, {9, 1, 1, 7, 0, 0, 8, 6}}, {opCopy, {12, 7, 20, 1, 0, 0, 8, 6}}, {opCopy, {31, 9, 23, 3, 0, 0, 8, 6}},
      {opCopy, {8, 12, 2, 21, 0, 0, 8, 6}}, {opCopy, {12, 12, 20, 18, 8, 0, 0, 6}}}});
  v.push_back({"KeyCopy", 40, 24, {
      Brush(kGreen), {opFillRect, {0, 0, 40, 24}}, {opNoBrush}, {opKeyCopy, {1, 1, 9, 7, 0, 0, 8, 6}},
      {opKeyCopy, {20, 1, 12, 7, 0, 0, 8, 6}}, {opKeyCopy, {22, 1, 38, 13, 0, 0, 8, 6}}, Brush(kYellow),
      {opKeyCopy, {1, 10, 9, 16, 0, 0, 8, 6}}, {opKeyCopy, {9, 17, 1, 23, 0, 0, 8, 6}}}});

  // The shapes the controls draw. The LED: ring, bevelled upper-left, lamp.
  for (int size : {13, 12}) {
    const int l = 2, t = 3, r = l + size, b = t + size;
    v.push_back({"LedLamp" + std::to_string(size), 20, 20, {
        Pen(0, 1, kBlack), Brush(kGray), {opEllipse, {l, t, r, b}}, Brush(kWhite), {opClip, {l, t, l, b, r, t}},
        {opEllipse, {l, t, r, b}}, {opNoClip}, Pen(0, 1, kRed), Brush(kRed), {opEllipse, {l + 2, t + 2, r - 2, b - 2}}}});
  }
  // A sign digit's segments (bars with pointed ends), the jog meter's ticks, indicators and
  // bevels, and a diagonal gradient's wide lines.
  v.push_back({"DigitSegments", 20, 24, {
      Pen(0, 1, kGreen), Brush(0x00FF00), {opPolygon, {3, 2, 4, 1, 13, 1, 14, 2, 13, 3, 4, 3}},
      {opPolygon, {2, 3, 3, 4, 3, 10, 2, 11, 1, 10, 1, 4}}, {opPolygon, {3, 11, 4, 10, 13, 10, 14, 11, 13, 12, 4, 12}},
      Brush(0x008000), {opPolygon, {15, 12, 16, 13, 16, 19, 15, 20, 14, 19, 14, 13}}}});
  v.push_back({"MeterTicksAndLine", 40, 34, {
      {opMoveTo, {2, 0}}, {opLineTo, {2, 14}}, {opMoveTo, {7, 0}}, {opLineTo, {7, 8}}, {opMoveTo, {12, 0}},
      {opLineTo, {12, 8}}, Pen(0, 1, kRed), {opMoveTo, {20, 0}}, {opLineTo, {20, 33}}, {opMoveTo, {39, 17}},
      {opLineTo, {0, 17}}}});
  v.push_back({"MeterTriangleIndicator", 40, 20, {
      Brush(kRed), Pen(0, 1, kBlack), {opPolygon, {20, 0, 15, 8, 25, 8}}, {opPolygon, {0, 16, 8, 11, 8, 21}}}});
  v.push_back({"Bevel", 24, 24, {
      Pen(0, 1, kWhite), Brush(kGray), {opFillRect, {0, 0, 24, 24}}, {opPolyline, {2, 20, 2, 2, 20, 2}}, Pen(0, 1, kBlack),
      {opPolyline, {20, 2, 20, 20, 1, 20}}}});
  v.push_back({"DiagonalGradient", 32, 24, {
      {opClip, {4, 4, 28, 4, 28, 20, 4, 20}}, Pen(0, 4, 0x202020), {opMoveTo, {4, 4}}, {opLineTo, {3, 4}},
      Pen(0, 4, 0x404040), {opMoveTo, {8, 4}}, {opLineTo, {3, 8}}, Pen(0, 4, 0x606060), {opMoveTo, {12, 4}},
      {opLineTo, {3, 12}}, Pen(0, 4, 0x808080), {opMoveTo, {16, 4}}, {opLineTo, {3, 16}}, Pen(0, 4, 0xA0A0A0),
      {opMoveTo, {20, 4}}, {opLineTo, {3, 20}}, Pen(0, 4, 0xC0C0C0), {opMoveTo, {24, 4}}, {opLineTo, {3, 24}}}});
  return v;
}

}  // namespace gdicases
