#pragma once
// Icons and cursors made from the framework's pixel images.
#include <cstdint>
#include <vector>

#include "platform/ui/backend/Backend.h"
#include "platform/ui/backend/win32/Win32Api.h"

// An icon of the image's size with its opacity; nullptr when the system refuses it. The
// caller destroys it (DestroyIcon).
HICON CreateIconFromImage(const TIconImage& Image);

// The image of Sizes closest to Width (the first of two equally close); nullptr when empty.
const TIconImage* ClosestIconImage(const std::vector<TIconImage>& Sizes, int Width);

// A two-colour cursor from the framework's image and mask bytes (0 or 1 per pixel, see
// TCursorImage); nullptr when the system refuses it. The caller destroys it (DestroyCursor).
HCURSOR CreateCursorFromBits(int Width, int Height, const std::vector<uint8_t>& Image,
                             const std::vector<uint8_t>& Mask, int HotX, int HotY);
