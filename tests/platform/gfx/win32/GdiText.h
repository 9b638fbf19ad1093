#pragma once
// Text as GDI measures and draws it, for comparing with ours. Its .cpp file is the only one
// here with <windows.h>, whose colour macros and GetSysColor clash with Color.h.
#include <string>
#include <vector>

// The font GDI creates for a family, a height (negative: em, positive: cell) and weight.
struct TGdiFont {
  std::string Family;
  int Height = -11;
  bool Bold = false;
};

int GdiTextWidth(const TGdiFont& Font, const std::string& Utf8);
int GdiCellHeight(const TGdiFont& Font);
// The pixels GDI inks drawing the text black on white at (X, Y) into a Width x Height DIB
// section, row by row.
std::vector<bool> GdiTextInk(const TGdiFont& Font, const std::string& Utf8, int X, int Y, int Width, int Height);
