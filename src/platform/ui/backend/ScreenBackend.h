#pragma once
#include <memory>

#include "platform/ui/backend/Backend.h"

// The backend that puts windows on this platform's screen: SDL2 on Linux, native windows on
// Windows (the build links the one of its platform). Raises Exception when there is no
// screen to show them on; its message says why, on one line.
std::unique_ptr<TBackend> CreateScreenBackend();
