#include "platform/rtl/UserSeparator.h"

#include <langinfo.h>
#include <locale.h>

// The numeric locale of the environment (LC_ALL, LC_NUMERIC, LANG).
char ReadUserSeparator() {
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", locale_t(0));
  if (loc == locale_t(0)) return '.';  // an unknown locale name: keep the plain point
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  const char sep = radix && radix[0] && !radix[1] ? radix[0] : '.';
  freelocale(loc);
  return sep;
}
