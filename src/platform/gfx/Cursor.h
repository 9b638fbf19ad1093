#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// A two-colour mouse cursor with its hot spot, from a cursor (.cur) file.
//
// Image and Mask hold one byte (0 or 1) per pixel, row-major from the top:
//   Mask 1, Image 1: black      Mask 1, Image 0: white
//   Mask 0, Image 0: see-through  Mask 0, Image 1: the screen inverted
struct TCursorImage {
  int Width = 0;
  int Height = 0;
  int HotX = 0;
  int HotY = 0;
  std::vector<uint8_t> Image;
  std::vector<uint8_t> Mask;
};

// Decode the first image of a cursor file; EInvalidGraphic when it is none.
TCursorImage DecodeCursor(std::span<const uint8_t> Data);
// The embedded cursor resource Name; EResNotFound when there is none.
TCursorImage LoadCursorFromResource(std::string_view Name);
