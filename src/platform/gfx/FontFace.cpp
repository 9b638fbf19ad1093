// The only file that talks to fontconfig and FreeType: resolving a family to a font file,
// sizing it by the classic height rule and rendering grey-scale glyphs into the cache.
#include "platform/gfx/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

struct TFontFace::TImpl {
  FT_Face Face = nullptr;
  bool FakeBold = false;
  bool FakeItalic = false;
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

struct TMatch {
  std::string File;
  int Index = 0;
  bool Bold = false;    // the file itself is bold
  bool Italic = false;  // the file itself is slanted
};

// fontconfig's best installed match for the family, with its aliases ("Arial" finds its
// metric-compatible stand-in) and the default family when nothing closer exists.
TMatch Resolve(const std::string& family, bool bold, bool italic) {
  // The configuration is loaded once and released at exit, so that nothing stays allocated.
  static const bool ready = FcInit() && std::atexit(FcFini) == 0;
  TMatch m;
  if (!ready) return m;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pat, &result);
  if (found) {
    FcChar8* file = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) m.File = reinterpret_cast<char*>(file);
    if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch) m.Index = index;
    FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    m.Bold = weight >= FC_WEIGHT_DEMIBOLD;
    m.Italic = slant != FC_SLANT_ROMAN;
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pat);
  return m;
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

}  // namespace

TFontFace::~TFontFace() = default;

TFontFace& TFontFace::Get(const std::string& Family, int Height, bool Bold, bool Italic) {
  static std::map<std::tuple<std::string, int, bool, bool>, std::unique_ptr<TFontFace>> cache;
  std::string key = Family;
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  auto& slot = cache[{key, Height, Bold, Italic}];
  if (slot) return *slot;
  slot.reset(new TFontFace());
  TFontFace& face = *slot;
  face.FImpl = std::make_unique<TImpl>();
  const double wanted = Height == 0 ? 11.0 : std::abs(Height);  // 0: the default size
  const TMatch m = Resolve(Family, Bold, Italic);
  FT_Face f = nullptr;
  if (Library() && !m.File.empty() && FT_New_Face(Library(), m.File.c_str(), m.Index, &f) == 0) {
    face.FImpl->Face = f;
    face.FFileName = m.File;
    face.FImpl->FakeBold = Bold && !m.Bold;
    face.FImpl->FakeItalic = Italic && !m.Italic;
    double a = 0, d = 0;
    DesignMetrics(f, a, d);
    const double upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
    // Negative height: the em is that many pixels; positive: the cell (ascent + descent) is.
    const double em = Height > 0 ? wanted * upem / (a + d) : wanted;
    FT_Set_Char_Size(f, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72);
    const int cell = Height > 0 ? Height : int(std::lround((a + d) * em / upem));
    face.FAscent = int(std::lround(a * em / upem));
    face.FDescent = std::max(0, cell - face.FAscent);
    face.FUnderlinePos = std::max(1, int(std::lround(-f->underline_position * em / upem)));
    face.FLineThickness = std::max(1, int(std::lround(f->underline_thickness * em / upem)));
    face.FStrikeOutPos = std::max(1, int(std::lround(face.FAscent * 0.3)));
  } else {
    face.FAscent = int(std::lround(wanted * 0.9));
    face.FDescent = int(std::lround(wanted * 0.25));
  }
  return face;
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
  FT_Face f = FImpl->Face;
  if (!f) return none;
  if (FT_Load_Glyph(f, FT_Get_Char_Index(f, CodePoint), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return none;
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
  for (int y = 0; y < g.Height; ++y)
    std::copy_n(bm.buffer + ptrdiff_t(y) * bm.pitch, g.Width, g.Coverage.data() + size_t(y) * size_t(g.Width));
  return g;
}
