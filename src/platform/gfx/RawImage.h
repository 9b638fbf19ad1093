#pragma once
#include <cstdint>
#include <vector>

// What a decoder hands over: Width x Height pixels, 0x00RRGGBB, row-major from the top.
struct TRawImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
};
