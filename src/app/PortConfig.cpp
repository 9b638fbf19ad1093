#include "app/PortConfig.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/kernel/PlainFile.h"
#include "platform/rtl/Exception.h"

namespace {

constexpr size_t MaxWord = 32;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

[[noreturn]] void RaiseReadError(const std::string& FileName, int code) {
  throw EInOutError("Cannot read " + FileName + ": " + std::strerror(code));
}

}  // namespace

bool ConfigFileExists(const std::string& FileName) {
  struct stat st {};
  return stat(FileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool ParsePortWord(const std::string& Word, int32_t& Value) {
  size_t i = 0;
  bool negative = false;
  if (i < Word.size() && (Word[i] == '+' || Word[i] == '-')) negative = Word[i++] == '-';
  bool hex = false;
  if (i < Word.size() && (Word[i] == '$' || Word[i] == 'x' || Word[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < Word.size() && Word[i] == '0' && (Word[i + 1] == 'x' || Word[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == Word.size()) return false;  // a sign or prefix without digits
  // Decimal must stay within the signed 32-bit range; hexadecimal may use all 32 bits
  // ($FFFFFFFF is -1), as the usual integer input rules have it.
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t v = 0;
  for (; i < Word.size(); ++i) {
    const int d = hex ? HexDigit(Word[i]) : (Word[i] >= '0' && Word[i] <= '9' ? Word[i] - '0' : -1);
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + uint64_t(d);
    if (v > limit) return false;
  }
  const uint32_t bits = uint32_t(v);
  Value = int32_t(negative ? 0u - bits : bits);
  return true;
}

uint8_t ReadPortNumber(const std::string& FileName) {
  // Only a plain file is read: opening a named pipe would wait for a writer, and a device
  // such as /dev/zero never ends its white space.
  int code = 0;
  std::unique_ptr<FILE, int (*)(FILE*)> f(OpenPlainFile(FileName, code), &std::fclose);
  if (!f) RaiseReadError(FileName, code);

  int c;
  do c = std::fgetc(f.get());
  while (c != EOF && c <= ' ');  // blanks, tabs, line breaks and other control characters

  std::string word;
  while (c != EOF && c > ' ' && word.size() < MaxWord) {
    word += char(c);
    if (word.size() < MaxWord) c = std::fgetc(f.get());
  }
  if (std::ferror(f.get())) RaiseReadError(FileName, errno ? errno : EIO);
  if (word.empty()) return 0;  // nothing but white space

  int32_t value = 0;
  if (!ParsePortWord(word, value)) throw EInOutError("Invalid numeric input in " + FileName);
  return uint8_t(uint32_t(value) & 0xFF);
}
