#include "platform/rtl/Format.h"

#include <cstdio>
#include <vector>

#include "platform/rtl/Exception.h"

namespace {

[[noreturn]] void Fail(const std::string& pattern) {
  throw EFormatError("Format '" + pattern + "' incorrect ou incompatible avec l'argument");
}

struct TField {
  bool LeftAlign = false;
  int Width = -1;
  int Precision = -1;
  char Type = 0;
};

class TFormatter {
 public:
  TFormatter(const std::string& pattern, std::initializer_list<TFormatArg> args)
      : FPattern(pattern), FArgs(args) {}

  std::string Run() {
    std::string out;
    for (size_t i = 0; i < FPattern.size(); ++i) {
      if (FPattern[i] != '%') {
        out += FPattern[i];
        continue;
      }
      if (++i >= FPattern.size()) Fail(FPattern);
      if (FPattern[i] == '%') {
        out += '%';
        continue;
      }
      out += Placeholder(i);
    }
    return out;
  }

 private:
  const TFormatArg& Next() {
    if (FNext >= FArgs.size()) Fail(FPattern);
    return FArgs[FNext++];
  }

  int64_t NextInt() {
    const TFormatArg& a = Next();
    if (!std::holds_alternative<int64_t>(a)) Fail(FPattern);
    return std::get<int64_t>(a);
  }

  // A number written in the pattern, or "*" taken from the arguments; -1 when absent.
  int Number(size_t& i) {
    if (i < FPattern.size() && FPattern[i] == '*') {
      ++i;
      const int64_t v = NextInt();
      return v < 0 ? -1 : v > 4096 ? 4096 : int(v);
    }
    if (i >= FPattern.size() || FPattern[i] < '0' || FPattern[i] > '9') return -1;
    int64_t v = 0;
    while (i < FPattern.size() && FPattern[i] >= '0' && FPattern[i] <= '9') {
      v = v * 10 + (FPattern[i++] - '0');
      if (v > 4096) Fail(FPattern);  // no placeholder is that wide
    }
    return int(v);
  }

  std::string Placeholder(size_t& i) {
    TField field;
    size_t j = i;
    while (j < FPattern.size() && FPattern[j] >= '0' && FPattern[j] <= '9') ++j;
    if (j > i && j < FPattern.size() && FPattern[j] == ':') {
      FNext = size_t(Number(i));  // "%1:s" picks the argument by number
      ++i;
    }
    if (i < FPattern.size() && FPattern[i] == '-') {
      field.LeftAlign = true;
      ++i;
    }
    field.Width = Number(i);
    if (i < FPattern.size() && FPattern[i] == '.') {
      ++i;
      field.Precision = Number(i);
      if (field.Precision < 0) field.Precision = 0;
    }
    if (i >= FPattern.size()) Fail(FPattern);
    field.Type = char(FPattern[i] | 0x20);  // types are read without case
    return Pad(Convert(field), field);
  }

  std::string Convert(const TField& field) {
    const TFormatArg& a = Next();
    char buf[512];
    switch (field.Type) {
      case 'd':
      case 'u':
      case 'x': {
        if (!std::holds_alternative<int64_t>(a)) Fail(FPattern);
        const int64_t v = std::get<int64_t>(a);
        const bool hex = field.Type == 'x';
        const uint64_t mag = field.Type == 'd' && v < 0 ? 0 - uint64_t(v)
                             : field.Type == 'd'        ? uint64_t(v)
                                                       : uint64_t(uint32_t(v));
        std::snprintf(buf, sizeof buf, hex ? "%.*llX" : "%.*llu", field.Precision < 1 ? 1 : field.Precision,
                      static_cast<unsigned long long>(mag));
        std::string text = field.Type == 'd' && v < 0 ? "-" : "";
        return text += buf;
      }
      case 's': {
        if (!std::holds_alternative<std::string>(a)) Fail(FPattern);
        const std::string& s = std::get<std::string>(a);
        return field.Precision >= 0 && size_t(field.Precision) < s.size() ? s.substr(0, size_t(field.Precision)) : s;
      }
      case 'f':
      case 'e':
      case 'g': {
        double v = 0;
        if (std::holds_alternative<double>(a))
          v = std::get<double>(a);
        else if (std::holds_alternative<int64_t>(a))
          v = double(std::get<int64_t>(a));
        else
          Fail(FPattern);
        const int prec = field.Precision < 0 ? (field.Type == 'f' ? 2 : 15) : field.Precision;
        const char fmt[] = {'%', '.', '*', field.Type == 'f' ? 'f' : field.Type == 'e' ? 'E' : 'G', 0};
        std::snprintf(buf, sizeof buf, fmt, prec > 300 ? 300 : prec, v);
        return buf;
      }
      default:
        Fail(FPattern);
    }
  }

  static std::string Pad(std::string s, const TField& field) {
    if (field.Width > 0 && s.size() < size_t(field.Width)) {
      const std::string fill(size_t(field.Width) - s.size(), ' ');
      s = field.LeftAlign ? s + fill : fill + s;
    }
    return s;
  }

  const std::string& FPattern;
  std::vector<TFormatArg> FArgs;
  size_t FNext = 0;
};

}  // namespace

std::string Format(const std::string& Pattern, std::initializer_list<TFormatArg> Args) {
  return TFormatter(Pattern, Args).Run();
}
