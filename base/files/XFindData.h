// _stXFINDDATA: the state of a directory search by name pattern and attribute masks.
#pragma once

#include <cstdint>
#include <dirent.h>

// Attribute masks hold the stat mode bits (file type and the nine permission bits) plus
// 0x80000000 for a hidden entry (name beginning with "."); 0x4000 is the directory bit.
struct _stXFINDDATA {
    DIR* pDir;                // open directory stream, null when no search is running
    char szPattern[261];      // name pattern ("*" and "?" wildcards), NUL-terminated
    char szDirectory[261];    // directory searched, ending with "/"
    uint32_t dwRequired;      // bits an entry must have, all of them
    uint32_t dwExcluded;      // bits an entry must not have, none of them
    char szName[260];         // name of the entry found
    uint32_t dwReserved;      // set to 0 at each hit
    uint32_t dwAttributes;    // attributes of the entry found
    uint64_t oSize;           // its size in bytes
};
