#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>

// One argument of Format: a whole number, a real number or a text.
using TFormatArg = std::variant<int64_t, double, std::string>;

// Fills the placeholders of Pattern from Args:
//   "%" [index ":"] ["-"] [width] ["." precision] type, width and precision may be "*"
//   (taken from the next, whole-number argument); "%%" is a plain "%".
// Types: d (decimal; precision = least digit count, zero-padded after the sign), u, x
// (hexadecimal), s (text; precision = most characters), f (fixed, precision 2 unless given),
// e and g (scientific and general, C-style). Arguments left over are ignored.
// A placeholder without an argument, with an argument of the wrong kind, or of an unknown
// type raises EFormatError.
std::string Format(const std::string& Pattern, std::initializer_list<TFormatArg> Args);
