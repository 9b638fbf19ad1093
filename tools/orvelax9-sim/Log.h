#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One line on standard error per call, written in one piece so that a reader that follows
// the log (a test, the demo) never sees two lines mixed.
void LogLine(const std::string& text);

// "82 E6 04" for the given bytes.
std::string HexBytes(const std::vector<uint8_t>& bytes);
