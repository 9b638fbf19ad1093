#include "platform/ui/FormatFloat.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kPrecision = 8;
constexpr int kMaxDecimals = 18;

char ReadUserSeparator() {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", locale_t(0));
  if (loc == locale_t(0)) return '.';  // an unknown locale name: keep the plain point
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  const char sep = radix && radix[0] && !radix[1] ? radix[0] : '.';
  freelocale(loc);
  return sep;
}

char& Separator() {
  static char sep = ReadUserSeparator();
  return sep;
}

bool AllZero(const std::string& digits) {
  for (char c : digits)
    if (c >= '1' && c <= '9') return false;
  return true;
}

// "1.2345679E9": the mantissa without trailing zeros and the plain exponent.
std::string Scientific(const char* exp7, char sep) {
  const char* e = std::strchr(exp7, 'e');
  std::string mant(exp7, e);
  const int exponent = std::atoi(e + 1);
  if (mant.size() > 2) {  // "d.ddddddd"
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() < '0' || mant.back() > '9') mant.pop_back();
  }
  for (char& c : mant)
    if (c != '-' && (c < '0' || c > '9')) c = sep;
  return mant + "E" + std::to_string(exponent);
}

}  // namespace

char DecimalSeparator() { return Separator(); }
void SetDecimalSeparator(char value) { Separator() = value; }

std::string FormatFixed(double Value, int Decimals) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  const int decimals = Decimals < 0 ? 0 : Decimals > kMaxDecimals ? kMaxDecimals : Decimals;
  const char sep = DecimalSeparator();

  char exp7[40];
  std::snprintf(exp7, sizeof exp7, "%.*e", kPrecision - 1, Value);
  const int exponent = std::atoi(std::strchr(exp7, 'e') + 1);
  if (Value != 0 && exponent >= kPrecision) return Scientific(exp7, sep);

  std::string out;
  if (exponent + 1 + decimals <= kPrecision) {
    // The decimals cut before the eighth significant digit: one rounding, at the last decimal.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, Value);
    out = text;
  } else {
    // All eight significant digits fit: place them and add zeros up to the decimals.
    std::string digits;
    for (const char* p = exp7; *p && *p != 'e'; ++p)
      if (*p >= '0' && *p <= '9') digits += *p;
    std::string whole = "0", fraction;
    if (exponent >= 0) {
      whole = digits.substr(0, size_t(exponent) + 1);
      fraction = digits.substr(size_t(exponent) + 1);
    } else {
      fraction = std::string(size_t(-exponent - 1), '0') + digits;
    }
    fraction.resize(size_t(decimals), '0');
    out = (Value < 0 ? "-" : "") + whole + (decimals > 0 ? "." + fraction : "");
  }
  if (out[0] == '-' && AllZero(out)) out.erase(0, 1);
  for (char& c : out)  // whatever point the C library's locale used
    if (c != '-' && (c < '0' || c > '9')) c = sep;
  return out;
}
