#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzTargets.h"
#include "app/PortConfig.h"
#include "platform/rtl/Exception.h"

namespace {

void Require(bool Rule) {
  if (!Rule) std::abort();
}

const std::string& ScratchFile() {
  static const std::string name =
      (std::filesystem::temp_directory_path() / ("orvel-fuzz-" + std::to_string(getpid()) + ".ini")).string();
  return name;
}

// How the C library reads the word: an optional sign, then "$", "x" or "0x" for
// hexadecimal, then digits only. Decimal must fit 32 signed bits, hexadecimal 32 bits.
bool LibraryReading(const std::string& Word, int32_t& Value) {
  size_t i = 0;
  const bool negative = !Word.empty() && Word[0] == '-';
  if (!Word.empty() && (Word[0] == '-' || Word[0] == '+')) i = 1;
  std::string digits = Word.substr(i);
  int base = 10;
  if (!digits.empty() && (digits[0] == '$' || digits[0] == 'x' || digits[0] == 'X')) {
    base = 16;
    digits.erase(0, 1);
  } else if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.erase(0, 2);
  }
  if (digits.empty()) return false;
  for (char c : digits)
    if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
      return false;
  errno = 0;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
  if (errno == ERANGE) return false;
  const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  if (magnitude > limit) return false;
  const uint32_t bits = uint32_t(magnitude);
  Value = int32_t(negative ? 0u - bits : bits);
  return true;
}

}  // namespace

void FuzzPortFile(const uint8_t* Data, size_t Size) {
  const std::string text(reinterpret_cast<const char*>(Data), Size);

  // The first word, after any white space or control characters, and at most 32 long.
  size_t begin = 0;
  while (begin < text.size() && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  size_t end = begin;
  while (end < text.size() && end - begin < 32 && static_cast<unsigned char>(text[end]) > ' ') ++end;
  const std::string word = text.substr(begin, end - begin);
  int32_t ours = 0, theirs = 0;
  const bool parsed = ParsePortWord(word, ours);
  Require(parsed == LibraryReading(word, theirs));
  if (parsed) Require(ours == theirs);

  // The whole content as the configuration file gives the word's number modulo 256, 0 for
  // no word at all, and is refused when the word is not a number.
  FILE* f = std::fopen(ScratchFile().c_str(), "wb");
  if (!f) return;
  if (Size > 0) std::fwrite(Data, 1, Size, f);
  std::fclose(f);
  bool refused = false;
  uint8_t port = 0;
  try {
    port = ReadPortNumber(ScratchFile());
  } catch (const EInOutError&) {
    refused = true;
  }
  std::remove(ScratchFile().c_str());
  if (word.empty()) {
    Require(!refused && port == 0);
  } else {
    Require(refused == !parsed);
    if (parsed) Require(port == uint8_t(uint32_t(ours) & 0xFF));
  }
}
