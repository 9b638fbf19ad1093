#pragma once
#include <string>

// How often `needle` occurs in `text`, counting occurrences that do not overlap.
inline int CountOf(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
  return n;
}
