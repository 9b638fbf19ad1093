#pragma once
#include <SDL.h>

#include <vector>

#include "platform/ui/backend/Backend.h"

// SDL hands the window manager one icon image. On X11 the window's icon property can hold
// several sizes, so that the title bar takes the small one and a task switcher the large
// one; this writes all of them, largest first. Returns false when the window is not an X11
// window (the single image SDL set stays).
bool SetX11IconSizes(SDL_Window* Window, const std::vector<TIconImage>& Sizes);
