#pragma once
#include <cstdint>

// Suspends the calling thread for at least the given number of milliseconds.
void Sleep(uint32_t milliseconds);
