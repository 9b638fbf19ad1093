#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The whole content of a file; EInvalidGraphic when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& FileName);
