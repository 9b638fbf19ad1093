#pragma once
#include <SDL.h>

#include <deque>
#include <string>

#include "platform/ui/backend/sdl2/Sdl2Scale.h"

// A modal message box with one text and an OK button, in a window of its own painted with
// the framework's canvas and font, so that it needs nothing of the display beyond a window
// (no toolkit fonts, no helper program). It returns when OK is clicked, when Return, Enter,
// Space or Escape is pressed and released, or when the box is closed. While it is up, the owner's clicks
// and every key go to the box; the other events that arrive are kept in Deferred, in order,
// for the caller's loop. Parent, when shown, becomes the box's owner.
//
// The box is laid out in the program's pixels and shown at the desktop's Scale, as the
// program's own windows are.
//
// Raises nothing: a box that cannot be opened writes its text to standard error instead.
void RunMessageBox(SDL_Window* Parent, const std::string& Title, const std::string& Text,
                   std::deque<SDL_Event>& Deferred, const TScreenScale& Scale = {});
