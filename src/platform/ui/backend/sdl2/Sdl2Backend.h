#pragma once
#include <memory>

#include "platform/ui/backend/Backend.h"

// The real screen through SDL2. Raises Exception when no display can be opened; its message
// is SDL's reason on one line, for the caller to put after its own words.
std::unique_ptr<TBackend> CreateSdl2Backend();
