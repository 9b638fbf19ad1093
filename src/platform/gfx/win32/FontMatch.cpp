// Windows has no fontconfig: a family resolves to a TrueType file of the system's font
// folder by its usual file name. A family not in the table, or whose file is missing, gets
// the default family's file, and without that a face that measures but draws nothing.
#include <windows.h>

#include <cctype>

#include "platform/gfx/FontMatch.h"

namespace {

struct TKnownFamily {
  const char* Family;
  const char* Regular;
  const char* Bold;
  const char* Italic;
  const char* BoldItalic;
};

const TKnownFamily KnownFamilies[] = {
    {"arial", "arial.ttf", "arialbd.ttf", "ariali.ttf", "arialbi.ttf"},
    {"tahoma", "tahoma.ttf", "tahomabd.ttf", nullptr, nullptr},
    {"ms sans serif", "sserife.fon", nullptr, nullptr, nullptr},
    {"microsoft sans serif", "micross.ttf", nullptr, nullptr, nullptr},
    {"times new roman", "times.ttf", "timesbd.ttf", "timesi.ttf", "timesbi.ttf"},
    {"courier new", "cour.ttf", "courbd.ttf", "couri.ttf", "courbi.ttf"},
};
const char* const DefaultFamily = "tahoma";

std::string FontsFolder() {
  char dir[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(dir, n) + "\\Fonts\\" : std::string();
}

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The file of a known family in the wanted style, or the nearest style it has.
bool Find(const std::string& family, bool bold, bool italic, TFontFace::TFontMatch& m) {
  const std::string folder = FontsFolder();
  for (const TKnownFamily& k : KnownFamilies) {
    if (family != k.Family) continue;
    const char* styled = bold && italic ? k.BoldItalic : bold ? k.Bold : italic ? k.Italic : k.Regular;
    for (const char* file : {styled, bold ? k.Bold : nullptr, italic ? k.Italic : nullptr, k.Regular}) {
      if (!file || !FileExists(folder + file)) continue;
      m.File = folder + file;
      m.Bold = file == k.Bold || file == k.BoldItalic;
      m.Italic = file == k.Italic || file == k.BoldItalic;
      return true;
    }
  }
  return false;
}

}  // namespace

TFontFace::TFontMatch ResolveFontFamily(const std::string& family, bool bold, bool italic) {
  std::string key;
  for (unsigned char c : family) key += char(std::tolower(c));
  TFontFace::TFontMatch m;
  if (!Find(key, bold, italic, m)) Find(DefaultFamily, bold, italic, m);
  return m;
}
