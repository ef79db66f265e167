// Memory blocks and memory status: Global* over malloc, Heap* with a size prefix, /proc/meminfo.
#include "base/system/GlobalMemory.h"

#include "base/system/AppelsSysteme.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <malloc.h>
#include <mutex>
#include <vector>

namespace {

// Room before a Heap* block: the 32-bit size sits in its last 4 bytes. On i386 that is all
// (blocks are 4-byte aligned, enough for every i386 type); on x86-64 the room is malloc's own
// alignment, so that 8- and 16-byte values in the block stay aligned.
constexpr std::size_t kEnTete = sizeof(void*) == 4 ? 4 : alignof(std::max_align_t);

DWORD* _pTaille(void* pBlock)
{
    return reinterpret_cast<DWORD*>(static_cast<unsigned char*>(pBlock) - sizeof(DWORD));
}

void* _pEchec(unsigned nFlags)
{
    if (nFlags & HEAP_GENERATE_EXCEPTIONS)
        throw static_cast<DWORD>(STATUS_NO_MEMORY);
    return nullptr;
}

// Zeroes the allocator's slack after the first nSize bytes, so that a later growth with
// GMEM_ZEROINIT finds zeros there and only has to clear what realloc adds.
void _VideReste(void* pBlock, std::size_t nSize)
{
    const std::size_t nUtile = malloc_usable_size(pBlock);
    if (nUtile > nSize)
        std::memset(static_cast<unsigned char*>(pBlock) + nSize, 0, nUtile - nSize);
}

struct _stCacheMemoire {
    bool bValide = false;
    time_t nSeconde = 0;
    MEMORYSTATUS stStatus{};
};
// Read and written with gmtxCacheMemoire held (several threads may ask at once).
_stCacheMemoire gstCacheMemoire;
std::mutex gmtxCacheMemoire;

// An amount in its field: 32-bit fields (i386) stop at their largest value.
std::size_t _nChamp(uint64_t n)
{
    return n > std::numeric_limits<std::size_t>::max() ? std::numeric_limits<std::size_t>::max()
                                                       : static_cast<std::size_t>(n);
}

} // namespace

void* GlobalAlloc(unsigned nFlags, std::size_t nSize)
{
    void* p = std::malloc(nSize ? nSize : 1);
    if (!p)
        return nullptr;
    if (nFlags & GMEM_ZEROINIT)
        std::memset(p, 0, nSize);
    _VideReste(p, nSize);
    return p;
}

void* GlobalReAlloc(void* pBlock, std::size_t nSize, unsigned nFlags)
{
    if (nFlags & GMEM_MODIFY)
        return pBlock;
    // Bytes up to the old usable size are the caller's or zeroed slack; realloc adds the rest.
    const std::size_t nAncien = pBlock ? malloc_usable_size(pBlock) : 0;
    void* p = std::realloc(pBlock, nSize ? nSize : 1);
    if (!p)
        return nullptr;
    if ((nFlags & GMEM_ZEROINIT) && nSize > nAncien)
        std::memset(static_cast<unsigned char*>(p) + nAncien, 0, nSize - nAncien);
    _VideReste(p, nSize);
    return p;
}

void* GlobalFree(void* pBlock)
{
    std::free(pBlock);
    return nullptr;
}

void* GlobalLock(void* pBlock)
{
    return pBlock;
}

bool GlobalUnlock(void* /*pBlock*/)
{
    return true;
}

void* HeapAlloc(void* /*hHeap*/, unsigned nFlags, std::size_t nSize)
{
    if (nSize > std::numeric_limits<DWORD>::max() || nSize > std::numeric_limits<std::size_t>::max() - kEnTete)
        return _pEchec(nFlags);
    void* pBrut = std::malloc(kEnTete + nSize);
    if (!pBrut)
        return _pEchec(nFlags);
    void* pBlock = static_cast<unsigned char*>(pBrut) + kEnTete;
    *_pTaille(pBlock) = static_cast<DWORD>(nSize);
    if (nFlags & HEAP_ZERO_MEMORY)
        std::memset(pBlock, 0, nSize);
    return pBlock;
}

void* HeapReAlloc(void* /*hHeap*/, unsigned nFlags, void* pBlock, std::size_t nSize)
{
    if (!pBlock || nSize > std::numeric_limits<DWORD>::max() ||
        nSize > std::numeric_limits<std::size_t>::max() - kEnTete)
        return _pEchec(nFlags);
    const DWORD dwAncien = *_pTaille(pBlock);
    void* pBrut = std::realloc(static_cast<unsigned char*>(pBlock) - kEnTete, kEnTete + nSize);
    if (!pBrut)
        return _pEchec(nFlags);
    void* pNouveau = static_cast<unsigned char*>(pBrut) + kEnTete;
    *_pTaille(pNouveau) = static_cast<DWORD>(nSize);
    if ((nFlags & HEAP_ZERO_MEMORY) && nSize > dwAncien)
        std::memset(static_cast<unsigned char*>(pNouveau) + dwAncien, 0, nSize - dwAncien);
    return pNouveau;
}

bool HeapFree(void* /*hHeap*/, unsigned /*nFlags*/, void* pBlock)
{
    if (pBlock)
        std::free(static_cast<unsigned char*>(pBlock) - kEnTete);
    return true;
}

DWORD _dwHeapTaille(const void* pBlock)
{
    return *_pTaille(const_cast<void*>(pBlock));
}

void ZeroMemory(void* pBlock, std::size_t nSize)
{
    std::memset(pBlock, 0, nSize);
}

bool _bLitMemInfo(const char* pszFichier, MEMORYSTATUS* pstStatus)
{
    // /proc/meminfo holds about fifty short lines; what passes the buffer is not read.
    std::vector<char> abTexte(65536);
    std::size_t nTexte = 0;
    if (!SYS_bReadFile(pszFichier, abTexte.data(), abTexte.size() - 1, &nTexte))
        return false;
    abTexte[nTexte] = '\0';
    // Amounts in bytes, in 64 bits: the kB values of /proc/meminfo times 1024 pass 4 GiB.
    uint64_t nTotalPhys = 0;
    uint64_t nDispoPhys = 0;
    uint64_t nTotalSwap = 0;
    uint64_t nDispoSwap = 0;
    char szLigne[256];
    for (const char* pLigne = abTexte.data(); *pLigne;) {
        // A line longer than the buffer is cut; its start is what counts.
        const std::size_t nLigne = std::strcspn(pLigne, "\n");
        const std::size_t nCopie = nLigne < sizeof szLigne - 1 ? nLigne : sizeof szLigne - 1;
        std::memcpy(szLigne, pLigne, nCopie);
        szLigne[nCopie] = '\0';
        pLigne += nLigne + (pLigne[nLigne] == '\n');
        unsigned long long a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
        if (std::sscanf(szLigne, "Mem: %llu %llu %llu %llu %llu %llu", &a, &b, &c, &d, &e, &f) == 6) {
            nTotalPhys += a;
            nDispoPhys += c + e + f;
        } else if (std::sscanf(szLigne, "Swap: %llu %llu %llu", &a, &b, &c) == 3) {
            nTotalSwap += a;
            nDispoSwap += c;
        } else if (std::sscanf(szLigne, "MemTotal: %llu", &a) == 1) {
            nTotalPhys = a * 1024;
        } else if (std::sscanf(szLigne, "MemFree: %llu", &a) == 1) {
            nDispoPhys = a * 1024;
        } else if (std::sscanf(szLigne, "SwapTotal: %llu", &a) == 1) {
            nTotalSwap = a * 1024;
        } else if (std::sscanf(szLigne, "SwapFree: %llu", &a) == 1) {
            nDispoSwap = a * 1024;
        } else if (std::sscanf(szLigne, "Buffers: %llu", &a) == 1 || std::sscanf(szLigne, "Cached: %llu", &a) == 1) {
            nDispoPhys += a * 1024;
        }
    }

    pstStatus->dwLength = sizeof(MEMORYSTATUS);
    pstStatus->dwMemoryLoad = 0;
    const uint64_t nTotal = nTotalPhys + nTotalSwap;
    const uint64_t nDispo = nDispoPhys + nDispoSwap;
    if (nTotalPhys != 0 && nTotal / 100 != 0) {
        const uint64_t nUtilise = nTotal > nDispo ? nTotal - nDispo : 0;
        const uint64_t nCharge = nUtilise / (nTotal / 100);
        pstStatus->dwMemoryLoad = static_cast<DWORD>(nCharge > 100 ? 100 : nCharge);
    }
    pstStatus->dwTotalPhys = _nChamp(nTotalPhys);
    pstStatus->dwAvailPhys = _nChamp(nDispoPhys);
    pstStatus->dwTotalPageFile = _nChamp(nTotalSwap);
    pstStatus->dwAvailPageFile = _nChamp(nDispoSwap);
    return true;
}

void GlobalMemoryStatus(MEMORYSTATUS* pstStatus)
{
    if (!pstStatus)
        return;
    const time_t nMaintenant = std::time(nullptr);
    std::lock_guard<std::mutex> verrou(gmtxCacheMemoire);
    if (!gstCacheMemoire.bValide || gstCacheMemoire.nSeconde != nMaintenant) {
        MEMORYSTATUS stLu{};
        if (!_bLitMemInfo("/proc/meminfo", &stLu)) {
            stLu.dwLength = sizeof(MEMORYSTATUS);
            stLu.dwMemoryLoad = 0;
            stLu.dwTotalPhys = stLu.dwAvailPhys = stLu.dwTotalPageFile = stLu.dwAvailPageFile = 0x1000000;
        }
        gstCacheMemoire.stStatus = stLu;
        gstCacheMemoire.nSeconde = nMaintenant;
        gstCacheMemoire.bValide = true;
    }
    *pstStatus = gstCacheMemoire.stStatus;
}
