// Windows picks the font for a family itself: the font is created as the design describes it
// (family, height, weight, slant) and whatever Windows selects for that is what we render.
// An outline font reaches the glyph code as its bytes, exactly as on Linux. A bitmap font has
// no bytes to give (and real Windows draws no outlines of it): GDI draws each glyph once into
// a DIB section and the pixels go into the glyph cache.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/gfx/FontMatch.h"
#include "platform/rtl/win32/Utf16.h"

namespace {

// The height keeps the classic rule on both sides: negative is the em, positive the cell.
HFONT CreateDesignFont(const std::string& family, int height, bool bold, bool italic) {
  LOGFONTW lf{};
  lf.lfHeight = height == 0 ? -11 : height;  // 0: the default size, as on Linux
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  const std::wstring name = Utf8ToUtf16(family).substr(0, LF_FACESIZE - 1);
  std::copy(name.begin(), name.end(), lf.lfFaceName);
  return CreateFontIndirectW(&lf);
}

// A memory DC with one font selected, released with it.
struct TFontDC {
  HDC DC = CreateCompatibleDC(nullptr);
  HFONT Font;
  HGDIOBJ OldFont = nullptr;
  explicit TFontDC(HFONT font) : Font(font) {
    if (DC && Font) OldFont = SelectObject(DC, Font);
  }
  ~TFontDC() {
    if (DC && OldFont) SelectObject(DC, OldFont);
    if (Font) DeleteObject(Font);
    if (DC) DeleteDC(DC);
  }
  TFontDC(const TFontDC&) = delete;
  TFontDC& operator=(const TFontDC&) = delete;
  bool Ok() const { return DC && Font && OldFont; }
};

constexpr DWORD kCollectionTag = 0x66637474;  // 'ttcf' as GetFontData takes a table tag

std::vector<uint8_t> FontBytes(HDC dc, DWORD table) {
  const DWORD n = GetFontData(dc, table, 0, nullptr, 0);
  if (n == GDI_ERROR || n == 0) return {};
  std::vector<uint8_t> bytes(n);
  if (GetFontData(dc, table, 0, bytes.data(), n) != n) return {};
  return bytes;
}

uint32_t BigEndian32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3] : 0;
}

// The index of the selected font within its collection: the font whose table directory
// is the one GetFontData gives from the start of the selected font's own data.
int CollectionIndex(HDC dc, const std::vector<uint8_t>& collection) {
  uint8_t head[12];
  if (GetFontData(dc, 0, 0, head, sizeof head) != sizeof head) return 0;
  const uint32_t count = BigEndian32(collection, 8);
  for (uint32_t i = 0; i < count && i < 1024; ++i) {
    const uint32_t offset = BigEndian32(collection, 12 + 4 * size_t(i));
    if (size_t(offset) + sizeof head <= collection.size() &&
        std::memcmp(collection.data() + offset, head, sizeof head) == 0) {
      const uint16_t tables = uint16_t(head[4] << 8 | head[5]);
      const size_t dir = 12 + size_t(tables) * 16;
      std::vector<uint8_t> mine(dir);
      if (offset + dir <= collection.size() && GetFontData(dc, 0, 0, mine.data(), DWORD(dir)) == dir &&
          std::memcmp(collection.data() + offset, mine.data(), dir) == 0)
        return int(i);
    }
  }
  return 0;
}

// The name of the font Windows picked: the full name of an outline font ("Tahoma Bold"),
// the family of a bitmap one.
std::string PickedName(HDC dc) {
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size >= sizeof(OUTLINETEXTMETRICW)) {
    std::vector<uint8_t> buf(size);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buf.data());
    const size_t at = size_t(reinterpret_cast<uintptr_t>(otm->otmpFullName));
    if (GetOutlineTextMetricsW(dc, size, otm) != 0 && at > 0 && at < size)
      return Utf16ToUtf8(reinterpret_cast<const wchar_t*>(buf.data() + at));
  }
  wchar_t face[LF_FACESIZE] = {};
  return GetTextFaceW(dc, LF_FACESIZE, face) > 0 ? Utf16ToUtf8(face) : std::string();
}

// A font GDI draws: every glyph once, black on white into a 32-bit DIB section as wide as
// the widest glyph with room for a slant either side; the ink found is the glyph.
class TGdiGlyphs final : public TSystemGlyphs {
 public:
  explicit TGdiGlyphs(HFONT font) : FFont(font) {}
  ~TGdiGlyphs() override {
    if (FOldBitmap) SelectObject(FFont.DC, FOldBitmap);
    if (FBitmap) DeleteObject(FBitmap);
  }

  bool Open() {
    if (!FFont.Ok() || !GetTextMetricsW(FFont.DC, &FMetrics)) return false;
    FMargin = FMetrics.tmHeight;
    FWidth = FMetrics.tmMaxCharWidth + FMetrics.tmOverhang + 2 * FMargin;
    FHeight = FMetrics.tmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = FWidth;
    bi.bmiHeader.biHeight = -FHeight;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FBitmap = CreateDIBSection(FFont.DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FBitmap || !bits) return false;
    FPixels = static_cast<uint32_t*>(bits);
    FOldBitmap = SelectObject(FFont.DC, FBitmap);
    SetTextColor(FFont.DC, RGB(0, 0, 0));
    SetBkMode(FFont.DC, TRANSPARENT);
    SetTextAlign(FFont.DC, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    return FOldBitmap != nullptr;
  }

  int Ascent() const override { return FMetrics.tmAscent; }
  int Descent() const override { return FMetrics.tmDescent; }

  TGlyph Render(char32_t CodePoint) override {
    wchar_t text[2];
    int n = 1;
    if (CodePoint > 0xFFFF && CodePoint <= 0x10FFFF) {
      text[0] = wchar_t(0xD800 + ((CodePoint - 0x10000) >> 10));
      text[1] = wchar_t(0xDC00 + ((CodePoint - 0x10000) & 0x3FF));
      n = 2;
    } else {
      text[0] = CodePoint <= 0xFFFF ? wchar_t(CodePoint) : wchar_t(0xFFFD);
    }
    TGlyph g;
    INT advance = 0;
    SIZE ext{};
    if (n == 1 && GetCharWidth32W(FFont.DC, UINT(text[0]), UINT(text[0]), &advance)) g.Advance = advance;
    else if (GetTextExtentPoint32W(FFont.DC, text, n, &ext)) g.Advance = int(ext.cx);
    std::fill(FPixels, FPixels + size_t(FWidth) * size_t(FHeight), 0x00FFFFFFu);
    ExtTextOutW(FFont.DC, FMargin, 0, 0, nullptr, text, UINT(n), nullptr);
    GdiFlush();
    Capture(g);
    return g;
  }

 private:
  uint8_t Coverage(int x, int y) const {
    const uint32_t p = FPixels[size_t(y) * size_t(FWidth) + size_t(x)];
    return uint8_t(255 - ((p >> 8) & 0xFF));  // the green channel: black ink on white
  }

  // The smallest box around the ink, placed relative to the pen and the baseline.
  void Capture(TGlyph& g) const {
    int left = FWidth, right = 0, top = FHeight, bottom = 0;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        if (Coverage(x, y)) {
          left = std::min(left, x), right = std::max(right, x + 1);
          top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
    if (left >= right) return;  // a space: an advance and no ink
    g.Left = left - FMargin;
    g.Top = FMetrics.tmAscent - top;
    g.Width = right - left;
    g.Height = bottom - top;
    g.Coverage.resize(size_t(g.Width) * size_t(g.Height));
    for (int y = 0; y < g.Height; ++y)
      for (int x = 0; x < g.Width; ++x) g.Coverage[size_t(y) * size_t(g.Width) + size_t(x)] = Coverage(left + x, top + y);
  }

  TFontDC FFont;
  TEXTMETRICW FMetrics{};
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  uint32_t* FPixels = nullptr;
  int FMargin = 0, FWidth = 0, FHeight = 0;
};

}  // namespace

TFontFace::TFontMatch ResolveFontFamily(const std::string& family, int height, bool bold, bool italic) {
  TFontFace::TFontMatch m;
  HFONT font = CreateDesignFont(family, height, bold, italic);
  if (!font) return m;
  {
    TFontDC picked(font);
    if (!picked.Ok()) return m;
    m.Name = PickedName(picked.DC);
    m.Data = FontBytes(picked.DC, kCollectionTag);
    if (!m.Data.empty()) m.Index = CollectionIndex(picked.DC, m.Data);
    else m.Data = FontBytes(picked.DC, 0);
    if (!m.Data.empty()) return m;
  }  // a font without bytes: GDI draws it, with a font object of its own
  auto glyphs = std::make_unique<TGdiGlyphs>(CreateDesignFont(family, height, bold, italic));
  if (glyphs->Open()) m.System = std::move(glyphs);
  else m.Name.clear();
  return m;
}
