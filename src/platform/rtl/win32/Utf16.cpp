#include "platform/rtl/win32/Utf16.h"

#include <windows.h>

std::wstring Utf8ToUtf16(std::string_view Text) {
  if (Text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, Text.data(), int(Text.size()), out.data(), n);
  return out;
}

std::string Utf16ToUtf8(std::wstring_view Text) {
  if (Text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, Text.data(), int(Text.size()), out.data(), n, nullptr, nullptr);
  return out;
}
