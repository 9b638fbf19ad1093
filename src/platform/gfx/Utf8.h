#pragma once
#include <string_view>

// The next code point of UTF-8 text at pos, advancing pos; a malformed byte stands for itself
// (Latin-1), so no text is ever refused.
inline char32_t NextCodePoint(std::string_view s, size_t& pos) {
  const unsigned char c = static_cast<unsigned char>(s[pos++]);
  if (c < 0x80) return c;
  const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra == 0 || pos + size_t(extra) > s.size()) return c;
  char32_t cp = c & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const unsigned char t = static_cast<unsigned char>(s[pos + size_t(i)]);
    if ((t & 0xC0) != 0x80) return c;
    cp = (cp << 6) | (t & 0x3F);
  }
  pos += size_t(extra);
  return cp;
}
