#pragma once
#include <cstddef>
#include <cstdint>

// The table the build generates from resources/, sorted by name (upper case).
struct TEmbeddedEntry {
  const char* Name;
  const uint8_t* Data;
  size_t Size;
};

extern const TEmbeddedEntry kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;
