#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/FontFace.h"

// A font the system draws itself because it hands over no font bytes (a bitmap font on
// Windows): its cell, and each glyph as the system draws it, asked for once per glyph.
class TSystemGlyphs {
 public:
  virtual ~TSystemGlyphs() = default;
  virtual int Ascent() const = 0;
  virtual int Descent() const = 0;
  virtual TGlyph Render(char32_t CodePoint) = 0;
};

// What a family name resolves to; each platform has its own way (posix/, win32/). One of
// three: a font file, the font's bytes as the system hands them over, or the system's own
// glyphs. All empty: nothing found.
struct TFontFace::TFontMatch {
  std::string File;
  std::vector<uint8_t> Data;
  std::unique_ptr<TSystemGlyphs> System;
  std::string Name;  // how the system names the font it picked, when there is no file
  int Index = 0;        // the face within a collection
  bool Bold = false;    // the file itself is bold (for bytes the face's own style tells)
  bool Italic = false;  // the file itself is slanted (likewise)
};

// The best installed match for the family at a height (as TFont has it). On Linux the
// design's families in the files that measure as Windows' fonts do, else fontconfig's match
// with its aliases and default family; on Windows the font Windows itself picks.
TFontFace::TFontMatch ResolveFontFamily(const std::string& family, int height, bool bold, bool italic);
