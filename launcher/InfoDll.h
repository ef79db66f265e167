// The descriptor _stINFODLL of a library embedded, compressed, behind the executable's own code.
#pragma once

#include <cstddef>
#include <cstdint>

// Stored in the executable file, little-endian, immediately followed by the compressed library:
// one block of the compressed block format, dwLongueurCompressee bytes long, whose method byte
// says how it expands. The launcher reads only the length. The tool that embeds libraries puts
// the library's file name, NUL-terminated, at the start of the first area and zeros after it.
#pragma pack(push, 1)
struct _stINFODLL {
    char szNom[522];                // name of the embedded library (not read by the launcher)
    uint32_t dwLongueurCompressee;  // bytes of the block that follows the descriptor
};
#pragma pack(pop)

static_assert(sizeof(_stINFODLL) == 526, "_stINFODLL: 526 bytes");
static_assert(offsetof(_stINFODLL, dwLongueurCompressee) == 522, "_stINFODLL layout");
