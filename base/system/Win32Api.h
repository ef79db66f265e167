// Records and calls of the Win32 interface that the shared code is written against, on Linux.
#pragma once

#include <cstdint>

// A rectangle in 32-bit coordinates; right and bottom are exclusive.
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
static_assert(sizeof(RECT) == 16, "RECT is four 32-bit coordinates");
