// Block header of the language's string and binary values, shared with the runtime, and its result codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class CStrMemAlloc;

// Result codes of the value operations.
enum : int {
    eSTRMEM_OK = 0,
    eSTRMEM_MEMOIRE = 100,      // the memory could not be obtained
    eSTRMEM_CONVERSION = 105,   // a character conversion failed
    eSTRMEM_TROPGRAND = 108,    // the requested size is above STRMEM_TAILLE_MAX (or a bad argument)
};

// Flag bits of a block.
enum : std::uint32_t {
    eSTRMEM_MARQUEUR = 0x1,     // cleared by every modification
    eSTRMEM_ANSI = 0x2,
    eSTRMEM_UNICODE = 0x4,
    eSTRMEM_BINAIRE = 0x8,
    eSTRMEM_MASQUE_TYPE = 0xE,
};

// Largest size a value may ask for, in bytes.
constexpr std::uint32_t STRMEM_TAILLE_MAX = 0x7FFFFEFFu;
// The two capacities kept in the free lists, in bytes.
constexpr std::uint32_t STRMEM_PETIT = 104;
constexpr std::uint32_t STRMEM_MOYEN = 1000;
// Largest capacity ever given (twice the largest request).
constexpr std::uint32_t STRMEM_CAPACITE_MAX = 2 * STRMEM_TAILLE_MAX;

// A block is this header, then the data area of nCapacite bytes (what a value points at),
// then a zero word. String blocks also keep a zero word right after the nLongueur used bytes,
// which terminates ANSI text and 4-byte wide text alike.
#pragma pack(push, 1)
struct _stSTRMEMBLOC {
    CStrMemAlloc* pAllocateur;          // made the block; its release goes back there
    std::uint32_t dwFlags;              // eSTRMEM_MARQUEUR and one type bit
    union {
        std::int32_t nRef;              // holders of the block (updated atomically)
        _stSTRMEMBLOC* pLibreSuivant;   // while in a free list: the next free block
    };
    std::uint32_t nCapacite;            // bytes of the data area
    std::uint32_t nLongueur;            // bytes used
};
#pragma pack(pop)

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(_stSTRMEMBLOC) == 20, "block header of the i386 build");
static_assert(offsetof(_stSTRMEMBLOC, dwFlags) == 4, "flags");
static_assert(offsetof(_stSTRMEMBLOC, nRef) == 8, "reference count");
static_assert(offsetof(_stSTRMEMBLOC, nCapacite) == 12, "capacity");
static_assert(offsetof(_stSTRMEMBLOC, nLongueur) == 16, "length");
#else
static_assert(sizeof(_stSTRMEMBLOC) == 28, "block header with 8-byte pointers");
static_assert(offsetof(_stSTRMEMBLOC, dwFlags) == 8, "flags");
static_assert(offsetof(_stSTRMEMBLOC, nRef) == 12, "reference count");
static_assert(offsetof(_stSTRMEMBLOC, nCapacite) == 20, "capacity");
static_assert(offsetof(_stSTRMEMBLOC, nLongueur) == 24, "length");
#endif
static_assert(offsetof(_stSTRMEMBLOC, pAllocateur) == 0, "allocator");

// Bytes of a whole block of capacity nCapacite: header, data, final zero word.
inline std::size_t STRMEM_nTailleBloc(std::uint32_t nCapacite)
{
    return sizeof(_stSTRMEMBLOC) + std::size_t(nCapacite) + 4;
}
inline _stSTRMEMBLOC* STRMEM_pBloc(const void* pData)
{
    return reinterpret_cast<_stSTRMEMBLOC*>(const_cast<unsigned char*>(static_cast<const unsigned char*>(pData)) -
                                            sizeof(_stSTRMEMBLOC));
}
inline char* STRMEM_pData(_stSTRMEMBLOC* pBloc)
{
    return reinterpret_cast<char*>(pBloc) + sizeof(_stSTRMEMBLOC);
}
// The reference count as a plain 4-byte word (4-aligned, since blocks come from malloc), for
// the atomic operations.
inline std::int32_t* STRMEM_pnRef(_stSTRMEMBLOC* pBloc)
{
    return reinterpret_cast<std::int32_t*>(reinterpret_cast<unsigned char*>(pBloc) + offsetof(_stSTRMEMBLOC, nRef));
}
inline std::int32_t STRMEM_nGetRef(_stSTRMEMBLOC* pBloc)
{
    return __atomic_load_n(STRMEM_pnRef(pBloc), __ATOMIC_ACQUIRE);
}
// Writes a zero word at nOffset bytes into the data area (no alignment assumed).
inline void STRMEM_MotZero(_stSTRMEMBLOC* pBloc, std::uint32_t nOffset)
{
    std::memset(STRMEM_pData(pBloc) + nOffset, 0, 4);
}
