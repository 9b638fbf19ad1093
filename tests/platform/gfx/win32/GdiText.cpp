#include "GdiText.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "platform/rtl/win32/Utf16.h"
#include "support/win32/TopDownDib.h"

namespace {

// A memory DC with the font selected.
struct TFontDC {
  HDC DC = CreateCompatibleDC(nullptr);
  HFONT Font = nullptr;
  HGDIOBJ Old = nullptr;
  explicit TFontDC(const TGdiFont& Want) {
    LOGFONTW lf{};
    lf.lfHeight = Want.Height;
    lf.lfWeight = Want.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::wstring name = Utf8ToUtf16(Want.Family).substr(0, LF_FACESIZE - 1);
    std::copy(name.begin(), name.end(), lf.lfFaceName);
    Font = CreateFontIndirectW(&lf);
    Old = SelectObject(DC, Font);
  }
  ~TFontDC() {
    SelectObject(DC, Old);
    DeleteObject(Font);
    DeleteDC(DC);
  }
};

}  // namespace

int GdiTextWidth(const TGdiFont& Font, const std::string& Utf8) {
  const TFontDC f(Font);
  const std::wstring text = Utf8ToUtf16(Utf8);
  SIZE ext{};
  GetTextExtentPoint32W(f.DC, text.c_str(), int(text.size()), &ext);
  return int(ext.cx);
}

int GdiCellHeight(const TGdiFont& Font) {
  const TFontDC f(Font);
  TEXTMETRICW tm{};
  GetTextMetricsW(f.DC, &tm);
  return int(tm.tmHeight);
}

std::vector<bool> GdiTextInk(const TGdiFont& Font, const std::string& Utf8, int X, int Y, int Width, int Height) {
  const TFontDC f(Font);
  const TTopDownDib dib(f.DC, Width, Height);
  std::vector<bool> ink(size_t(Width) * size_t(Height));
  if (!dib.Valid()) return ink;
  std::fill(dib.Pixels(), dib.Pixels() + dib.Count(), 0x00FFFFFFu);
  SetBkMode(f.DC, TRANSPARENT);
  SetTextColor(f.DC, RGB(0, 0, 0));
  const std::wstring text = Utf8ToUtf16(Utf8);
  ExtTextOutW(f.DC, X, Y, 0, nullptr, text.c_str(), UINT(text.size()), nullptr);
  const std::vector<uint32_t> rgb = dib.Rgb();
  for (size_t i = 0; i < ink.size(); ++i) ink[i] = rgb[i] == 0;
  return ink;
}
