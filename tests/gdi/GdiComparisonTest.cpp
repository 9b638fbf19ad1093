// The canvas against a real GDI: every case of GdiCases.h drawn through TCanvas must give the
// pixels GDI gave for it (the reference file written by tools/gdi-reference under Wine). A
// case that differs leaves a picture of GDI's pixels, ours and the difference side by side.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "GdiCases.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace gdicases {
// Test names are the cases' names; the parameter prints as its name too.
void PrintTo(const TCase& c, std::ostream* os) { *os << c.Name; }
}  // namespace gdicases

using namespace gdicases;

namespace {

struct TReference {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
};

std::string OutputDir() { return std::string(ORVEL_BUILD_DIR) + "/gdi"; }

uint32_t Read32(std::istream& in) {
  unsigned char b[4] = {};
  in.read(reinterpret_cast<char*>(b), 4);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// GDI's pictures by case name; empty when the reference program has not run.
const std::map<std::string, TReference>& References() {
  static const std::map<std::string, TReference> refs = [] {
    std::map<std::string, TReference> m;
    std::ifstream in(OutputDir() + "/reference.bin", std::ios::binary);
    std::string name;
    while (std::getline(in, name)) {
      TReference r;
      r.Width = int(Read32(in));
      r.Height = int(Read32(in));
      if (!in || r.Width <= 0 || r.Height <= 0 || r.Width > 4096 || r.Height > 4096) break;
      r.Pixels.resize(size_t(r.Width) * size_t(r.Height));
      for (uint32_t& p : r.Pixels) p = Read32(in);
      if (!in) break;
      m[name] = std::move(r);
    }
    return m;
  }();
  return refs;
}

std::vector<TPoint> Points(const std::vector<int>& a) {
  std::vector<TPoint> p;
  for (size_t i = 0; i + 1 < a.size(); i += 2) p.push_back(TPoint{a[i], a[i + 1]});
  return p;
}

const TBitmap& Pattern() {
  static const std::unique_ptr<TBitmap> b = [] {
    auto p = std::make_unique<TBitmap>(kPatternWidth, kPatternHeight);
    for (int y = 0; y < kPatternHeight; ++y)
      for (int x = 0; x < kPatternWidth; ++x) p->Pixels()[size_t(y) * size_t(p->Stride()) + size_t(x)] = PatternPixel(x, y);
    return p;
  }();
  return *b;
}

void Draw(TCanvas& c, const TCase& k) {
  const TPenStyle styles[] = {psSolid, psDot, psClear};
  const TPenMode modes[] = {pmCopy, pmNot, pmXor};
  for (const TStep& s : k.Steps) {
    const std::vector<int>& a = s.Args;
    switch (s.Op) {
      case opPen:
        c.Pen()->SetStyle(styles[a[0]]);
        c.Pen()->SetWidth(a[1]);
        c.Pen()->SetColor(TColor(a[2]));
        c.Pen()->SetMode(modes[a[3]]);
        break;
      case opBrush: c.Brush()->SetColor(TColor(a[0])); break;
      case opNoBrush: c.Brush()->SetStyle(bsClear); break;
      case opMoveTo: c.MoveTo(a[0], a[1]); break;
      case opLineTo: c.LineTo(a[0], a[1]); break;
      case opPolyline: c.Polyline(Points(a)); break;
      case opPolygon: c.Polygon(Points(a)); break;
      case opRectangle: c.Rectangle(a[0], a[1], a[2], a[3]); break;
      case opEllipse: c.Ellipse(a[0], a[1], a[2], a[3]); break;
      case opFillRect: c.FillRect(Rect(a[0], a[1], a[2], a[3])); break;
      case opFrameRect: c.FrameRect(Rect(a[0], a[1], a[2], a[3])); break;
      case opClip: c.ClipToPolygon(Points(a)); break;
      case opNoClip: c.RemoveClipRegion(); break;
      case opCopy: c.CopyRect(Rect(a[0], a[1], a[2], a[3]), *Pattern().Canvas(), Rect(a[4], a[5], a[6], a[7])); break;
      case opKeyCopy:
        c.BrushCopy(Rect(a[0], a[1], a[2], a[3]), Pattern(), Rect(a[4], a[5], a[6], a[7]), PixelToColor(kKeyPixel));
        break;
    }
  }
}

// GDI's picture, ours and their difference (differing pixels red on grey), four times
// enlarged, side by side.
void SaveComparison(const TCase& k, const TReference& gdi, const TBitmap& ours) {
  constexpr int kZoom = 4, kGap = 4;
  const int w = k.Width * kZoom, h = k.Height * kZoom;
  TBitmap out(3 * w + 2 * kGap, h);
  uint32_t* px = out.Pixels();
  std::fill(px, px + size_t(out.Stride()) * size_t(out.Height()), 0x4060A0u);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y / kZoom) * size_t(k.Width) + size_t(x / kZoom);
      const uint32_t g = gdi.Pixels[i];
      const uint32_t o = ours.Pixels()[size_t(y / kZoom) * size_t(ours.Stride()) + size_t(x / kZoom)] & 0xFFFFFFu;
      uint32_t* row = px + size_t(y) * size_t(out.Stride());
      row[x] = g;
      row[w + kGap + x] = o;
      row[2 * (w + kGap) + x] = g == o ? 0xC0C0C0u : 0xFF0000u;
    }
  std::filesystem::create_directories(OutputDir());
  out.SaveToPNGFile(OutputDir() + "/" + k.Name + ".png");
}

class GdiComparison : public ::testing::TestWithParam<TCase> {};

TEST_P(GdiComparison, CanvasDrawsWhatGdiDraws) {
  const TCase& k = GetParam();
  const auto& refs = References();
  ASSERT_FALSE(refs.empty()) << "no GDI reference in " << OutputDir()
                             << "/reference.bin: the gdi_reference test (Wine) writes it";
  const auto it = refs.find(k.Name);
  ASSERT_NE(it, refs.end()) << "GDI did not draw " << k.Name;
  const TReference& gdi = it->second;
  ASSERT_EQ(gdi.Width, k.Width);
  ASSERT_EQ(gdi.Height, k.Height);

  TBitmap ours(k.Width, k.Height);
  TCanvas& c = *ours.Canvas();
  c.FillRect(Rect(0, 0, k.Width, k.Height));  // white, as GDI's picture starts
  Draw(c, k);

  int differ = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < k.Height; ++y)
    for (int x = 0; x < k.Width; ++x) {
      const uint32_t o = ours.Pixels()[size_t(y) * size_t(ours.Stride()) + size_t(x)] & 0xFFFFFFu;
      if (o == gdi.Pixels[size_t(y) * size_t(k.Width) + size_t(x)]) continue;
      if (differ++ == 0) firstX = x, firstY = y;
    }
  if (differ == 0) return;
  SaveComparison(k, gdi, ours);
  const std::string where = std::to_string(differ) + " pixels differ, the first at " + std::to_string(firstX) + "," +
                            std::to_string(firstY) + "; see " + OutputDir() + "/" + k.Name + ".png";
  if (!k.WineNote.empty()) {
    std::printf("%s: %s (kept, not failed: %s)\n", k.Name.c_str(), where.c_str(),
                k.WineNote.c_str());
    return;
  }
  ADD_FAILURE() << k.Name << ": " << where;
}

INSTANTIATE_TEST_SUITE_P(Cases, GdiComparison, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TCase>& i) { return i.param.Name; });

}  // namespace
