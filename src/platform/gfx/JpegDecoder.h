#pragma once
#include <cstdint>
#include <span>

#include "platform/gfx/RawImage.h"

// Decodes a baseline or progressive JPEG (grey, colour or CMYK) to RGB pixels;
// EInvalidGraphic for data it cannot read.
TRawImage DecodeJPEG(std::span<const uint8_t> Data);
