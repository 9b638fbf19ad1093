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

struct TFontFace::TFontMatch {
  std::string File;
  int Index = 0;
  bool Bold = false;    // the file itself is bold
  bool Italic = false;  // the file itself is slanted
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


// fontconfig's best installed match for the family, with its aliases ("Arial" finds its
// metric-compatible stand-in) and the default family when nothing closer exists.
TFontFace::TFontMatch Resolve(const std::string& family, bool bold, bool italic) {
  // The configuration is loaded once and released at exit, so that nothing stays allocated.
  static const bool ready = FcInit() && std::atexit(FcFini) == 0;
  TFontFace::TFontMatch m;
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
  if (!slot) {
    slot.reset(new TFontFace());
    slot->Open(Resolve(Family, Bold, Italic), Height, Bold, Italic);
  }
  return *slot;
}

void TFontFace::Open(const TFontMatch& Match, int Height, bool Bold, bool Italic) {
  FImpl = std::make_unique<TImpl>();
  const double wanted = Height == 0 ? 11.0 : std::abs(Height);  // 0: the default size
  FT_Face f = nullptr;
  if (!Library() || Match.File.empty() || FT_New_Face(Library(), Match.File.c_str(), Match.Index, &f) != 0) {
    FAscent = int(std::lround(wanted * 0.9));  // no face: text measures, draws nothing
    FDescent = int(std::lround(wanted * 0.25));
    return;
  }
  FImpl->Face = f;
  FFileName = Match.File;
  FImpl->FakeBold = Bold && !Match.Bold;
  FImpl->FakeItalic = Italic && !Match.Italic;
  SetPixelSize(Height, wanted);
}

// Negative height: the em is that many pixels; positive: the cell (ascent + descent) is.
void TFontFace::SetPixelSize(int Height, double Wanted) {
  FT_Face f = FImpl->Face;
  double a = 0, d = 0;
  DesignMetrics(f, a, d);
  const double upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
  const double em = Height > 0 ? Wanted * upem / (a + d) : Wanted;
  FT_Set_Char_Size(f, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72);
  const int cell = Height > 0 ? Height : int(std::lround((a + d) * em / upem));
  FAscent = int(std::lround(a * em / upem));
  FDescent = std::max(0, cell - FAscent);
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
