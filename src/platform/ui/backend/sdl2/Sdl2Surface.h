#pragma once
#include <SDL.h>

#include <vector>

#include "platform/ui/backend/Backend.h"

// Copies the rectangles of Buffer (0x00RRGGBB pixels) to the same places of the window and
// shows them; with a Scale above 1, each pixel as a Scale x Scale block at Scale times its
// place. False when the window has no surface to draw on.
bool BlitToWindow(SDL_Window* Window, const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale = 1);
