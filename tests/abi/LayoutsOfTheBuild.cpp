// The shared records as the whole build sees them.
#include "abi/SharedLayoutsInclude.h"

#include <sys/types.h>

static_assert(sizeof(off_t) == 8 && sizeof(ino_t) == 8 && sizeof(time_t) == 8,
              "the build uses 64-bit file offsets, inode numbers and times");

std::vector<stLAYOUT> LayoutsOfTheBuild()
{
    return {ZV_SHARED_LAYOUTS(ZV_LAYOUT_ENTRY)};
}
