#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One glyph rendered for a face at one size: a coverage map (0 = none, 255 = full), placed
// Left pixels right of the pen and Top pixels above the baseline, and the pen advance.
struct TGlyph {
  int Advance = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Coverage;
};

// A font resolved to an installed file at one pixel size, with its glyph cache. Faces live
// as long as the program and are shared by every font that resolves to the same file, size
// and style. User-interface thread only.
class TFontFace {
 public:
  // The face for a family name, a height (negative: character height, positive: cell
  // height) and style. Never fails: an unknown family gets the system's default face, and
  // with no font file at all a face without glyphs that still measures its height.
  static TFontFace& Get(const std::string& Family, int Height, bool Bold, bool Italic);

  ~TFontFace();
  int Ascent() const { return FAscent; }
  int Descent() const { return FDescent; }
  int CellHeight() const { return FAscent + FDescent; }
  // Where and how thick underline and strike-out are, in pixels below the baseline / above it.
  int UnderlinePos() const { return FUnderlinePos; }
  int StrikeOutPos() const { return FStrikeOutPos; }
  int LineThickness() const { return FLineThickness; }
  // The glyph of a code point (a missing one draws as the face's missing-glyph box).
  const TGlyph& Glyph(char32_t CodePoint);
  // Where the face came from, for diagnostics and tests: its file, or the name of the font
  // the system picked when it hands over no file (empty when nothing was found).
  const std::string& Source() const { return FSource; }

  struct TImpl;
  struct TFontMatch;

 private:
  TFontFace() = default;
  void Open(TFontMatch Match, int Height, bool Bold, bool Italic);
  void NoFace(double Wanted);
  void SetPixelSize(int Height, double Wanted);
  TGlyph Render(char32_t CodePoint);

  std::unique_ptr<TImpl> FImpl;
  std::string FSource;
  int FAscent = 0;
  int FDescent = 0;
  int FUnderlinePos = 1;
  int FStrikeOutPos = 3;
  int FLineThickness = 1;
  TGlyph FAscii[128];
  bool FAsciiDone[128] = {};
};
