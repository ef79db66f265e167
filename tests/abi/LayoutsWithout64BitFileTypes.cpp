// The shared records as a 32-bit runtime built without _FILE_OFFSET_BITS=64 and _TIME_BITS=64
// sees them: this file is compiled without those definitions (tests/abi/CMakeLists.txt). The
// static_asserts of the headers hold here as in the rest of the build.
#include "abi/SharedLayoutsInclude.h"

#include <sys/types.h>

static_assert(sizeof(void*) == 8 || (sizeof(off_t) == 4 && sizeof(time_t) == 4),
              "a 32-bit unit compiled with 32-bit file offsets and times");

std::vector<stLAYOUT> LayoutsWithout64BitFileTypes()
{
    return {ZV_SHARED_LAYOUTS(ZV_LAYOUT_ENTRY)};
}
