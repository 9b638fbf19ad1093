#pragma once
#include <string>

// The user's decimal separator, read once from the user's settings (on Linux the numeric
// locale: LC_ALL, LC_NUMERIC, LANG; on Windows the regional settings); '.' when none is set.
// Tests and programs may override it.
char DecimalSeparator();
void SetDecimalSeparator(char value);

// Fixed-point text of Value with exactly Decimals digits after the separator (0 to 18, zeros
// added), rounded once, halves away from zero, at the last decimal or at the eighth
// significant digit, whichever comes first. A value whose integer part needs more than 8
// digits is written in scientific form instead ("1.2345679E9"). No thousands separators;
// "-" only in front of a number that is not zero once rounded. NaN and infinities read
// "NAN", "INF" and "-INF".
std::string FormatFixed(double Value, int Decimals);
