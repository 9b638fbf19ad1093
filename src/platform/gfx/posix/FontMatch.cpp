// The only file that talks to fontconfig: resolving a family to a font file.
#include "platform/gfx/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

// The configuration is loaded once and released at exit, so that nothing stays allocated.
bool FontConfigReady() {
  static const bool ready = FcInit() && std::atexit(FcFini) == 0;
  return ready;
}

// The design's families in the files that measure as Windows' fonts do: Wine's free
// stand-ins for MS Sans Serif (a bitmap font: bold and italic are made from the regular
// face, as Windows makes them) and Tahoma, and Liberation Sans for Arial.
struct TKnownFamily {
  const char* Family;
  const char* Files[4];  // regular, bold, italic, bold italic; nullptr: made from regular
};
constexpr TKnownFamily kKnownFamilies[] = {
    {"ms sans serif", {"sserife.fon", nullptr, nullptr, nullptr}},
    {"tahoma", {"tahoma.ttf", "tahomabd.ttf", nullptr, nullptr}},
    {"arial",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
};

// Where those files may lie: the folders fontconfig knows, and Wine's own, which Debian
// keeps apart from them.
std::vector<std::string> FontFolders() {
  std::vector<std::string> dirs{"/usr/share/wine/fonts", "/usr/share/fonts/truetype/liberation2",
                                "/usr/share/fonts/truetype/liberation"};
  if (!FontConfigReady()) return dirs;
  if (FcStrList* list = FcConfigGetFontDirs(nullptr)) {
    while (FcChar8* d = FcStrListNext(list)) dirs.emplace_back(reinterpret_cast<const char*>(d));
    FcStrListDone(list);
  }
  return dirs;
}

std::string FindFile(const char* name) {
  static const std::vector<std::string> dirs = FontFolders();
  std::error_code ec;
  for (const std::string& d : dirs) {
    const std::filesystem::path p = std::filesystem::path(d) / name;
    if (std::filesystem::is_regular_file(p, ec)) return p.string();
  }
  return {};
}

// The known file for a design family, style by style down to the regular face; no file
// when the family is not one of them or nothing of it is installed.
TFontFace::TFontMatch KnownFile(const std::string& family, bool bold, bool italic) {
  TFontFace::TFontMatch m;
  for (const TKnownFamily& k : kKnownFamilies) {
    if (family != k.Family) continue;
    const int wanted = (bold ? 1 : 0) + (italic ? 2 : 0);
    for (int style : {wanted, wanted & 1, wanted & 2, 0}) {
      if (!k.Files[style]) continue;
      m.File = FindFile(k.Files[style]);
      if (m.File.empty()) continue;
      m.Bold = (style & 1) != 0;
      m.Italic = (style & 2) != 0;
      return m;
    }
  }
  return m;
}

}  // namespace

TFontFace::TFontMatch ResolveFontFamily(const std::string& family, int /*height*/, bool bold, bool italic) {
  std::string lower = family;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  TFontFace::TFontMatch m = KnownFile(lower, bold, italic);
  if (!m.File.empty() || !FontConfigReady()) return m;
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
