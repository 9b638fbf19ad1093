#pragma once
#include <string>

#include "platform/gfx/FontFace.h"

// The font file a family name resolves to; each platform has its own way (posix/, win32/).
struct TFontFace::TFontMatch {
  std::string File;  // empty: nothing found
  int Index = 0;
  bool Bold = false;    // the file itself is bold
  bool Italic = false;  // the file itself is slanted
};

// The best installed match for the family: on Linux the design's families in the files that
// measure as Windows' fonts do, else fontconfig's match with its aliases and default family;
// on Windows the family's file in the system's font folder.
TFontFace::TFontMatch ResolveFontFamily(const std::string& family, bool bold, bool italic);
