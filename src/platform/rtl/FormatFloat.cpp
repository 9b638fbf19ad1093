#include "platform/rtl/FormatFloat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/UserSeparator.h"

namespace {

constexpr int kPrecision = 8;
constexpr int kMaxDecimals = 18;

char& Separator() {
  static char sep = ReadUserSeparator();
  return sep;
}

// A number as decimal digits: Value = 0.d1d2d3... x 10^(Exponent + 1), d1 not 0 unless
// the number is 0.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
  bool Negative = false;
};

TDecimal Decompose(double value) {
  char text[64];
  // 31 significant digits reach past the 18th decimal of any number shown in fixed form; a
  // double is never close enough to a half for the digits beyond to matter.
  std::snprintf(text, sizeof text, "%.30e", value);
  TDecimal d;
  d.Negative = text[0] == '-';
  const char* e = std::strchr(text, 'e');
  for (const char* p = text; p < e; ++p)
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  d.Exponent = std::atoi(e + 1);
  return d;
}

// Keeps `count` significant digits, halves away from zero (a count of 0 or less keeps
// nothing but what rounding carries in).
TDecimal RoundDigits(TDecimal d, int count) {
  if (count >= int(d.Digits.size())) return d;
  const bool up = count >= 0 && d.Digits[size_t(count)] >= '5';
  d.Digits.resize(size_t(count < 0 ? 0 : count));
  if (up) {
    int i = int(d.Digits.size()) - 1;
    while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[size_t(i)];
    } else {
      // All nines: one more power of ten, "1" and as many zeros as there were digits less one.
      d.Digits = std::string(std::max<size_t>(d.Digits.size(), 1), '0');
      d.Digits[0] = '1';
      ++d.Exponent;
    }
  }
  return d;
}

bool IsZero(const TDecimal& d) { return d.Digits.find_first_not_of('0') == std::string::npos; }

// "1.2345679E9": the significant digits without trailing zeros and the plain exponent.
std::string Scientific(TDecimal d, char sep) {
  while (d.Digits.size() > 1 && d.Digits.back() == '0') d.Digits.pop_back();
  std::string out = d.Negative ? "-" : "";
  out += d.Digits[0];
  if (d.Digits.size() > 1) out += sep + d.Digits.substr(1);
  return out + "E" + std::to_string(d.Exponent);
}

// The digits placed around the separator with exactly `decimals` decimals.
std::string Fixed(const TDecimal& d, int decimals, char sep) {
  std::string whole, fraction;
  for (int pos = d.Exponent; pos >= -decimals; --pos) {  // pos: the power of ten of a digit
    const int index = d.Exponent - pos;
    const char digit = index < int(d.Digits.size()) ? d.Digits[size_t(index)] : '0';
    (pos >= 0 ? whole : fraction) += digit;
  }
  if (d.Exponent < 0) {
    whole.assign(1, '0');  // not = "0": g++ 12 sees a false overlap there (-Wrestrict)
    fraction = std::string(size_t(std::min(-d.Exponent - 1, decimals)), '0') + fraction;
    fraction.resize(size_t(decimals), '0');
  }
  std::string out = whole;
  if (decimals > 0) out += sep + fraction;
  return out;
}

}  // namespace

char DecimalSeparator() { return Separator(); }
void SetDecimalSeparator(char value) { Separator() = value; }

std::string FormatFixed(double Value, int Decimals) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  const int decimals = Decimals < 0 ? 0 : Decimals > kMaxDecimals ? kMaxDecimals : Decimals;
  const char sep = DecimalSeparator();
  // Whole numbers of fewer than eight digits, what scales are labelled with, need no rounding:
  // their digits, then zeros.
  if (Value == std::trunc(Value) && std::fabs(Value) < 1e7) {
    const long long whole = std::llabs((long long)Value);
    std::string text(Value < 0 ? 1 : 0, '-');
    text += std::to_string(whole);
    if (decimals > 0) {
      text += sep;
      text.append(size_t(decimals), '0');
    }
    return text;
  }
  const TDecimal exact = Decompose(Value);
  if (IsZero(exact)) return Fixed(TDecimal{"0", 0, false}, decimals, sep);
  const TDecimal significant = RoundDigits(exact, kPrecision);
  if (significant.Exponent >= kPrecision) return Scientific(significant, sep);
  // One rounding, at the last decimal or at the eighth significant digit, whichever comes first.
  TDecimal shown = RoundDigits(exact, std::min(kPrecision, exact.Exponent + 1 + decimals));
  if (shown.Digits.empty() || IsZero(shown)) return Fixed(TDecimal{"0", 0, false}, decimals, sep);
  std::string text = Fixed(shown, decimals, sep);
  return shown.Negative ? "-" + text : text;
}
