#pragma once
#include <string>
#include <string_view>

// Text is UTF-8 inside the program and UTF-16 at the Windows API. Byte sequences that are
// not UTF-8 become U+FFFD rather than ending the text.
std::wstring Utf8ToUtf16(std::string_view Text);
std::string Utf16ToUtf8(std::wstring_view Text);
