// Demonstration of the base library: code pages of a few character sets.
#include "base/zvbase.h"

#include <cstdio>

int main()
{
    const int charsets[] = {0, 128, 161, 204, 238, 65001};
    for (int cs : charsets)
        std::printf("character set %5d -> code page %u\n", cs, dwGetCodePageFromCharset(cs));
    return 0;
}
