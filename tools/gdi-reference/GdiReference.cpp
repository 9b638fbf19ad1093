// Draws the canvas comparison cases with GDI into 32-bit DIB sections and writes the pixels,
// for the test that compares the canvas with them. A Windows program; run under Wine.
//   gdi-reference OUTPUT
// The output holds, for each case: its name and a line break, then width, height and the
// pixels (0x00RRGGBB, rows top down) as little-endian 32-bit numbers.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "GdiCases.h"

using namespace gdicases;

namespace {

std::vector<POINT> Points(const std::vector<int>& a, size_t from = 0) {
  std::vector<POINT> p;
  for (size_t i = from; i + 1 < a.size(); i += 2) p.push_back(POINT{a[i], a[i + 1]});
  return p;
}

struct TPicture {
  HDC Dc = nullptr;
  HBITMAP Bitmap = nullptr;
  uint32_t* Bits = nullptr;
  TPicture(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // rows top down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    Dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    Bitmap = CreateDIBSection(Dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    SelectObject(Dc, Bitmap);
  }
  ~TPicture() {
    DeleteDC(Dc);
    DeleteObject(Bitmap);
  }
};

// The state a drawing case changes: the pen and brush it made, and whether the brush is clear.
struct TState {
  HPEN Pen = nullptr;
  HBRUSH Brush = nullptr;
  bool ClearBrush = false;
};

void SetPen(HDC dc, TState& s, const std::vector<int>& a) {
  const int styles[] = {PS_SOLID, PS_DOT, PS_NULL};
  HPEN pen = CreatePen(styles[a[0]], a[1], COLORREF(a[2]));
  SelectObject(dc, pen);
  if (s.Pen) DeleteObject(s.Pen);
  s.Pen = pen;
  const int rops[] = {R2_COPYPEN, R2_NOT, R2_XORPEN};
  SetROP2(dc, rops[a[3]]);
}

// A solid brush sets the background colour too (the gaps of a dotted pen take it); a clear
// brush draws no background.
void SetBrush(HDC dc, TState& s, const TStep& step) {
  HBRUSH brush = step.Op == opBrush ? CreateSolidBrush(COLORREF(step.Args[0])) : nullptr;
  SelectObject(dc, brush ? brush : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  if (s.Brush) DeleteObject(s.Brush);
  s.Brush = brush;
  s.ClearBrush = !brush;
  if (brush) SetBkColor(dc, COLORREF(step.Args[0]));
  SetBkMode(dc, brush ? OPAQUE : TRANSPARENT);
}

// The key-colour copy: pattern pixels of the key colour are left out under a clear brush and
// take the brush under a solid one. A mask (white where the key is) is stretched exactly as the
// pattern is, so both land on the same pixels.
void KeyCopy(HDC dc, const TState& s, HDC pattern, const std::vector<int>& a) {
  const int dx = a[0], dy = a[1], dw = a[2] - a[0], dh = a[3] - a[1];
  const int sx = a[4], sy = a[5], sw = a[6] - a[4], sh = a[7] - a[5];
  HDC maskDc = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(kPatternWidth, kPatternHeight, 1, 1, nullptr);
  SelectObject(maskDc, mask);
  SetBkColor(pattern, RGB(kKeyPixel >> 16, (kKeyPixel >> 8) & 0xFF, kKeyPixel & 0xFF));
  BitBlt(maskDc, 0, 0, kPatternWidth, kPatternHeight, pattern, 0, 0, SRCCOPY);
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
  StretchBlt(dc, dx, dy, dw, dh, pattern, sx, sy, sw, sh, SRCINVERT);
  StretchBlt(dc, dx, dy, dw, dh, maskDc, sx, sy, sw, sh, SRCAND);
  StretchBlt(dc, dx, dy, dw, dh, pattern, sx, sy, sw, sh, SRCINVERT);
  if (!s.ClearBrush) StretchBlt(dc, dx, dy, dw, dh, maskDc, sx, sy, sw, sh, 0x00E20746);  // brush where the mask is white
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  DeleteDC(maskDc);
  DeleteObject(mask);
}

void Draw(HDC dc, const TCase& c, HDC pattern) {
  TState s;
  SetStretchBltMode(dc, COLORONCOLOR);
  SetPolyFillMode(dc, ALTERNATE);
  for (const TStep& step : c.Steps) {
    const std::vector<int>& a = step.Args;
    const RECT r = a.size() >= 4 ? RECT{a[0], a[1], a[2], a[3]} : RECT{};
    switch (step.Op) {
      case opPen: SetPen(dc, s, a); break;
      case opBrush:
      case opNoBrush: SetBrush(dc, s, step); break;
      case opMoveTo: MoveToEx(dc, a[0], a[1], nullptr); break;
      case opLineTo: LineTo(dc, a[0], a[1]); break;
      case opPolyline: {
        const std::vector<POINT> p = Points(a);
        Polyline(dc, p.data(), int(p.size()));
        break;
      }
      case opPolygon: {
        const std::vector<POINT> p = Points(a);
        Polygon(dc, p.data(), int(p.size()));
        break;
      }
      case opRectangle: Rectangle(dc, a[0], a[1], a[2], a[3]); break;
      case opEllipse: Ellipse(dc, a[0], a[1], a[2], a[3]); break;
      case opFillRect:
        if (!s.ClearBrush) FillRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
        break;
      case opFrameRect:
        if (!s.ClearBrush) FrameRect(dc, &r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
        break;
      case opClip: {
        const std::vector<POINT> p = Points(a);
        HRGN rgn = CreatePolygonRgn(p.data(), int(p.size()), ALTERNATE);
        SelectClipRgn(dc, rgn);
        DeleteObject(rgn);
        break;
      }
      case opNoClip: SelectClipRgn(dc, nullptr); break;
      case opCopy: StretchBlt(dc, a[0], a[1], a[2] - a[0], a[3] - a[1], pattern, a[4], a[5], a[6] - a[4], a[7] - a[5], SRCCOPY); break;
      case opKeyCopy: KeyCopy(dc, s, pattern, a); break;
    }
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  if (s.Pen) DeleteObject(s.Pen);
  if (s.Brush) DeleteObject(s.Brush);
}

void Write32(FILE* f, uint32_t v) {
  const unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  fwrite(b, 1, 4, f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: gdi-reference OUTPUT\n");
    return 2;
  }
  FILE* out = fopen(argv[1], "wb");
  if (!out) {
    perror(argv[1]);
    return 1;
  }
  TPicture pattern(kPatternWidth, kPatternHeight);
  for (int y = 0; y < kPatternHeight; ++y)
    for (int x = 0; x < kPatternWidth; ++x) pattern.Bits[y * kPatternWidth + x] = PatternPixel(x, y);
  for (const TCase& c : Cases()) {
    TPicture p(c.Width, c.Height);
    std::fill(p.Bits, p.Bits + size_t(c.Width) * size_t(c.Height), 0xFFFFFFu);
    Draw(p.Dc, c, pattern.Dc);
    GdiFlush();
    fprintf(out, "%s\n", c.Name.c_str());
    Write32(out, uint32_t(c.Width));
    Write32(out, uint32_t(c.Height));
    for (size_t i = 0; i < size_t(c.Width) * size_t(c.Height); ++i) Write32(out, p.Bits[i] & 0xFFFFFFu);
  }
  return fclose(out) == 0 ? 0 : 1;
}
