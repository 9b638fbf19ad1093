#pragma once
#include <memory>

#include "platform/ui/backend/Backend.h"

// The real screen through SDL2. Raises Exception with SDL's reason when no display can be
// opened.
std::unique_ptr<TBackend> CreateSdl2Backend();
