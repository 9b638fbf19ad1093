// The only file that talks to FreeType: sizing a face by the classic height rule and
// rendering glyphs into the cache: grey-scale for outline fonts, the bitmap's own pixels for
// bitmap fonts. Which font a family resolves to is the platform's (FontMatch.h): a file,
// the font's bytes, or glyphs the system draws itself, which are cached alike.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include FT_WINFONTS_H

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

#include "platform/gfx/FontMatch.h"

struct TFontFace::TImpl {
  std::vector<uint8_t> Data;  // the bytes FreeType reads the face from, when not a file
  std::unique_ptr<TSystemGlyphs> System;
  FT_Face Face = nullptr;
  bool FakeBold = false;
  bool FakeItalic = false;
  bool Bitmap = false;  // a bitmap font: drawn as its pixels are, never smoothed
  bool Ansi = false;    // glyphs indexed by Windows-1252 code, as a Windows bitmap font is
  std::unordered_map<char32_t, TGlyph> Others;
  ~TImpl() {
    if (Face) FT_Done_Face(Face);
  }
};

namespace {

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}


// Ascent and descent in font units as the classic metrics give them (the OS/2 table's
// Windows values), which is what the cell height is measured in.
void DesignMetrics(FT_Face f, double& ascent, double& descent) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else {
    ascent = f->ascender;
    descent = -f->descender;
  }
  if (ascent + descent <= 0) ascent = f->units_per_EM * 0.8, descent = f->units_per_EM * 0.2;
}

// A face of the font's bytes when the platform handed them over, else of its file.
FT_Error NewFace(const TFontFace::TImpl& impl, const std::string& file, long index, FT_Face* f) {
  if (!impl.Data.empty())
    return FT_New_Memory_Face(Library(), impl.Data.data(), FT_Long(impl.Data.size()), index, f);
  return FT_New_Face(Library(), file.c_str(), index, f);
}

// A bitmap font comes in fixed sizes (a .fon file holds one face per size). Windows takes
// the largest whose em (negative height) or cell (positive height) does not exceed the height
// asked for, else the smallest; this opens that face with that size selected.
FT_Face OpenBitmapSize(FT_Face first, const TFontFace::TImpl& impl, const std::string& file, bool byCell, int wanted,
                       int& cell) {
  long bestFace = -1;
  int bestStrike = 0, bestSize = 0;
  for (long i = 0; i < first->num_faces; ++i) {
    FT_Face f = first;
    if (i > 0 && NewFace(impl, file, i, &f) != 0) continue;
    for (int s = 0; s < f->num_fixed_sizes; ++s) {
      const FT_Bitmap_Size& b = f->available_sizes[s];
      const int size = byCell ? b.height : int((b.y_ppem + 32) >> 6);
      const bool better = bestFace < 0 || (size <= wanted ? bestSize > wanted || size > bestSize
                                                          : bestSize > wanted && size < bestSize);
      if (better) bestFace = i, bestStrike = s, bestSize = size;
    }
    if (f != first) FT_Done_Face(f);
  }
  FT_Face f = first;
  if (bestFace > 0) {
    FT_Done_Face(first);
    if (NewFace(impl, file, bestFace, &f) != 0) return nullptr;
  }
  FT_Select_Size(f, bestStrike);
  cell = f->available_sizes[bestStrike].height;
  return f;
}

// Windows-1252 for the code points it places in 0x80-0x9F; the rest of Latin-1 is itself.
unsigned AnsiCode(char32_t cp) {
  static constexpr char16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) return unsigned(cp);
  for (unsigned i = 0; i < 32; ++i)
    if (k80[i] != 0 && k80[i] == cp) return 0x80 + i;
  return 0;  // the font's default character
}

// A glyph's bitmap as coverage: 1-bit and few-grey bitmaps become 0 or 255 and steps between.
void CopyCoverage(const FT_Bitmap& bm, TGlyph& g) {
  const unsigned top = bm.pixel_mode == FT_PIXEL_MODE_MONO ? 1 : std::max(1, bm.num_grays - 1);
  for (int y = 0; y < g.Height; ++y) {
    const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* out = g.Coverage.data() + size_t(y) * size_t(g.Width);
    for (int x = 0; x < g.Width; ++x) {
      const unsigned v = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x];
      out[x] = uint8_t(std::min(255u, v * 255 / top));
    }
  }
}

}  // namespace

TFontFace::~TFontFace() = default;

TFontFace& TFontFace::Get(const std::string& Family, int Height, bool Bold, bool Italic) {
  static std::map<std::tuple<std::string, int, bool, bool>, std::unique_ptr<TFontFace>> cache;
  std::string key = Family;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  auto& slot = cache[{key, Height, Bold, Italic}];
  if (!slot) {
    slot.reset(new TFontFace());
    slot->Open(ResolveFontFamily(Family, Height, Bold, Italic), Height, Bold, Italic);
  }
  return *slot;
}

void TFontFace::Open(TFontMatch Match, int Height, bool Bold, bool Italic) {
  FImpl = std::make_unique<TImpl>();
  const double wanted = Height == 0 ? 11.0 : std::abs(Height);  // 0: the default size
  FSource = Match.Name.empty() ? Match.File : Match.Name;
  if (Match.System) {  // the system draws the glyphs; a bitmap font's cell is all it has
    FImpl->System = std::move(Match.System);
    FAscent = FImpl->System->Ascent();
    FDescent = FImpl->System->Descent();
    FUnderlinePos = std::max(1, FDescent / 2);
    FStrikeOutPos = std::max(1, int(std::lround(FAscent * 0.3)));
    return;
  }
  FImpl->Data = std::move(Match.Data);
  FT_Face f = nullptr;
  if (!Library() || (Match.File.empty() && FImpl->Data.empty()) || NewFace(*FImpl, Match.File, Match.Index, &f) != 0)
    return NoFace(wanted);
  if (!FImpl->Data.empty()) {  // bytes come without the system's word on their style
    Match.Bold = (f->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    Match.Italic = (f->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  }
  FImpl->FakeBold = Bold && !Match.Bold;
  FImpl->FakeItalic = Italic && !Match.Italic;
  if (FT_IS_SCALABLE(f) || f->num_fixed_sizes == 0) {
    FImpl->Face = f;
    SetPixelSize(Height, wanted);
    return;
  }
  int cell = 0;
  f = OpenBitmapSize(f, *FImpl, Match.File, Height > 0, int(wanted), cell);
  FImpl->Face = f;
  FImpl->Bitmap = true;
  if (!f) return NoFace(wanted);
  // A Windows bitmap font has no Unicode map: its glyphs are indexed by their ANSI code.
  if (!f->charmap && f->num_charmaps > 0) FT_Set_Charmap(f, f->charmaps[0]);
  FT_WinFNT_HeaderRec fnt;
  FImpl->Ansi = FT_Get_WinFNT_Header(f, &fnt) == 0 && f->charmap && f->charmap->encoding == FT_ENCODING_NONE;
  FAscent = int(f->size->metrics.ascender >> 6);
  FDescent = std::max(0, cell - FAscent);
  FUnderlinePos = std::max(1, FDescent / 2);
  FStrikeOutPos = std::max(1, int(std::lround(FAscent * 0.3)));
}

// No face to read: text still measures, and draws nothing.
void TFontFace::NoFace(double Wanted) {
  FSource.clear();
  FAscent = int(std::lround(Wanted * 0.9));
  FDescent = int(std::lround(Wanted * 0.25));
}

// Negative height: the em is that many pixels; positive: the cell (ascent + descent) is,
// as near as whole pixels allow.
void TFontFace::SetPixelSize(int Height, double Wanted) {
  FT_Face f = FImpl->Face;
  double a = 0, d = 0;
  DesignMetrics(f, a, d);
  const double upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
  // As GDI sizes an outline font: the em in whole pixels, ascent and descent each rounded,
  // so that a cell asked for can come out a pixel taller.
  const double em = Height > 0 ? double(std::max(1L, std::lround(Wanted * upem / (a + d)))) : Wanted;
  FT_Set_Char_Size(f, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72);
  FAscent = int(std::lround(a * em / upem));
  FDescent = int(std::lround(d * em / upem));
  FUnderlinePos = std::max(1, int(std::lround(-f->underline_position * em / upem)));
  FLineThickness = std::max(1, int(std::lround(f->underline_thickness * em / upem)));
  FStrikeOutPos = std::max(1, int(std::lround(FAscent * 0.3)));
}

const TGlyph& TFontFace::Glyph(char32_t CodePoint) {
  if (CodePoint < 128) {
    if (!FAsciiDone[CodePoint]) {
      FAscii[CodePoint] = Render(CodePoint);
      FAsciiDone[CodePoint] = true;
    }
    return FAscii[CodePoint];
  }
  auto it = FImpl->Others.find(CodePoint);
  if (it != FImpl->Others.end()) return it->second;
  return FImpl->Others.emplace(CodePoint, Render(CodePoint)).first->second;
}

TGlyph TFontFace::Render(char32_t CodePoint) {
  const TGlyph none;
  TGlyph g;
  if (FImpl->System) return FImpl->System->Render(CodePoint);
  FT_Face f = FImpl->Face;
  if (!f) return none;
  const FT_UInt index = FT_Get_Char_Index(f, FImpl->Ansi ? AnsiCode(CodePoint) : FT_ULong(CodePoint));
  if (FT_Load_Glyph(f, index, FImpl->Bitmap ? FT_LOAD_DEFAULT : FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return none;
  FT_GlyphSlot slot = f->glyph;
  if (FImpl->FakeItalic && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    const FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
    FT_Outline_Transform(&slot->outline, &shear);
  }
  if (FImpl->FakeBold) FT_GlyphSlot_Embolden(slot);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return none;
  const FT_Bitmap& bm = slot->bitmap;
  g.Advance = int((slot->advance.x + 32) >> 6);
  g.Left = slot->bitmap_left;
  g.Top = slot->bitmap_top;
  g.Width = int(bm.width);
  g.Height = int(bm.rows);
  g.Coverage.resize(size_t(g.Width) * size_t(g.Height));
  CopyCoverage(bm, g);
  return g;
}
