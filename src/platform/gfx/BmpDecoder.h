#pragma once
#include <cstdint>
#include <span>

#include "platform/gfx/RawImage.h"

// Decodes a BMP file: 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed, run-length
// encoded (4 and 8 bits) or with bit-field masks; bottom-up or top-down. Every size and
// offset is checked against the data; anything else raises EInvalidGraphic.
TRawImage DecodeBMP(std::span<const uint8_t> Data);
