#pragma once
#include <string>

// The user's decimal separator, read once from the environment's numeric locale
// (LC_ALL, LC_NUMERIC, LANG); '.' when none is set. Tests and programs may override it.
char DecimalSeparator();
void SetDecimalSeparator(char value);

// Fixed-point text of Value: rounded to 8 significant digits, then written with exactly
// Decimals digits after the separator (0 to 18; zeros added). A value whose integer part
// needs more than 8 digits comes out in scientific form ("1.2345679E9"), as does nothing
// else. No thousands separators; "-" only in front of a number that is not zero once rounded.
std::string FormatFixed(double Value, int Decimals);
