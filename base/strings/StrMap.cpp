// Mapping of texts through the character tables.
#include "base/strings/StrMap.h"

#include "base/strings/CharTables.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Number of characters of src to look at: at most nMax, stopping at the terminator.
std::size_t nSourceLen(const char* pszSrc, long nSrcLen, std::size_t nMax)
{
    if (nSrcLen >= 0 && static_cast<unsigned long>(nSrcLen) < nMax)
        nMax = static_cast<std::size_t>(nSrcLen);
    return strnlen(pszSrc, nMax);
}

// Straight one-lookup-per-byte map of n bytes (a plain copy when pbyMap is null); dst may
// equal src.
void MapBytes(unsigned char* pDst, const unsigned char* pSrc, std::size_t n,
              const unsigned char* pbyMap)
{
    if (pbyMap == nullptr) {
        std::memmove(pDst, pSrc, n);
        return;
    }
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const unsigned char c0 = pbyMap[pSrc[i]];
        const unsigned char c1 = pbyMap[pSrc[i + 1]];
        const unsigned char c2 = pbyMap[pSrc[i + 2]];
        const unsigned char c3 = pbyMap[pSrc[i + 3]];
        pDst[i] = c0;
        pDst[i + 1] = c1;
        pDst[i + 2] = c2;
        pDst[i + 3] = c3;
    }
    for (; i < n; ++i)
        pDst[i] = pbyMap[pSrc[i]];
}

// Maps src into dst (nDstSize > 0) through pbyMap (null: unchanged), dropping the bytes whose
// class has a bit of byDropMask (0: none dropped). Returns the output length; dst is terminated.
std::size_t nMapInto(char* pszDst, std::size_t nDstSize, const char* pszSrc, long nSrcLen,
                     const unsigned char* pbyMap, const unsigned char* pbyType,
                     unsigned char byDropMask)
{
    const std::size_t nRoom = nDstSize - 1;
    unsigned char* pDst = reinterpret_cast<unsigned char*>(pszDst);
    const unsigned char* pSrc = reinterpret_cast<const unsigned char*>(pszSrc);
    if (byDropMask == 0) {
        const std::size_t n = nSourceLen(pszSrc, nSrcLen, nRoom);
        MapBytes(pDst, pSrc, n, pbyMap);
        pDst[n] = 0;
        return n;
    }
    const std::size_t nIn = nSourceLen(pszSrc, nSrcLen, SIZE_MAX);
    std::size_t nOut = 0;
    // nOut never passes i, so mapping in place never overwrites unread input.
    // Branch-free: every byte is written at nOut (< nRoom, so within dst), and nOut moves on
    // only for the bytes kept.
    for (std::size_t i = 0; i < nIn && nOut < nRoom; ++i) {
        const unsigned char c = pSrc[i];
        pDst[nOut] = pbyMap != nullptr ? pbyMap[c] : c;
        nOut += (pbyType[c] & byDropMask) == 0;
    }
    pDst[nOut] = 0;
    return nOut;
}

} // namespace

unsigned STR_nMapStringEx(unsigned nFlags, char* pszDst, unsigned nDstSize, const char* pszSrc,
                          long nSrcLen, int bUpper)
{
    if (pszDst == nullptr || nDstSize == 0)
        return 0;
    const _stCHARTAB* pst = _STR_pstTablesOf(nFlags);
    nFlags &= ~STR_FLAG_CURRENT_CHARSET;
    if (pszSrc == nullptr || nFlags > 7) {
        pszDst[0] = '\0';
        return 0;
    }
    unsigned char abyScratch[256];
    // Without a case or accent step the bytes are only copied (or filtered).
    const unsigned char* pbyMap =
        (nFlags & 3) != 0 ? _STR_pbyMapTable(pst, nFlags & 3, bUpper != 0, abyScratch) : nullptr;
    const unsigned char byDrop = (nFlags & STR_MAP_NOPUNCT) != 0 ? eCHARTYPE_PUNCT : 0;
    return static_cast<unsigned>(
        nMapInto(pszDst, nDstSize, pszSrc, nSrcLen, pbyMap, pst->pbyCharType, byDrop));
}

int STR_nMapCharEx(unsigned nFlags, char* pcOut, char c, int bUpper)
{
    const _stCHARTAB* pst = _STR_pstTablesOf(nFlags);
    nFlags &= ~STR_FLAG_CURRENT_CHARSET;
    if (pcOut == nullptr || nFlags > 7)
        return 0;
    const unsigned char by = static_cast<unsigned char>(c);
    if ((nFlags & STR_MAP_NOPUNCT) != 0 && (pst->pbyCharType[by] & eCHARTYPE_PUNCT) != 0)
        return 0;
    unsigned char byMapped = by;
    if (nFlags & STR_MAP_NOACCENT)
        byMapped = pst->pbyToNoAccent[byMapped];
    if (nFlags & STR_MAP_CASE)
        byMapped = (bUpper != 0 ? pst->pbyToUpper : pst->pbyToLower)[byMapped];
    *pcOut = static_cast<char>(byMapped);
    return 1;
}

int STR_nMapCharIgnoreCaseAccent(char* pcOut, char c)
{
    if (pcOut == nullptr)
        return 0;
    *pcOut = static_cast<char>(pToNoAccentUpper_Latin1[static_cast<unsigned char>(c)]);
    return 1;
}

unsigned STR_nGetMapStringLenEx(unsigned nFlags, const char* pszSrc, long nSrcLen)
{
    const _stCHARTAB* pst = _STR_pstTablesOf(nFlags);
    nFlags &= ~STR_FLAG_CURRENT_CHARSET;
    if (pszSrc == nullptr || nFlags > 7)
        return 1;
    const std::size_t nIn = nSourceLen(pszSrc, nSrcLen, SIZE_MAX);
    std::size_t nOut = nIn;
    if (nFlags & STR_MAP_NOPUNCT) {
        nOut = 0;
        for (std::size_t i = 0; i < nIn; ++i)
            nOut += (pst->pbyCharType[static_cast<unsigned char>(pszSrc[i])] & eCHARTYPE_PUNCT) == 0;
    }
    return nOut < UINT_MAX ? static_cast<unsigned>(nOut + 1) : UINT_MAX;
}

unsigned STR_nCreateMapString(unsigned nFlags, char** ppszOut, const char* pszSrc)
{
    if (ppszOut == nullptr)
        return 0;
    const unsigned nSize = STR_nGetMapStringLenEx(nFlags, pszSrc, -1);
    *ppszOut = static_cast<char*>(std::malloc(nSize));
    if (*ppszOut == nullptr)
        return 0;
    return STR_nMapStringEx(nFlags, *ppszOut, nSize, pszSrc, -1, 1);
}

char* STR_pszCreateStandard(const char* pszSrc)
{
    if (pszSrc == nullptr)
        return nullptr;
    char* psz = nullptr;
    STR_nCreateMapString(STR_MAP_CASE | STR_MAP_NOACCENT, &psz, pszSrc);
    return psz;
}

unsigned long STR_nTransforme(unsigned nMode, char* pszDst, unsigned long nDstSize,
                              const char* pszSrc, long nSrcLen)
{
    if (nMode < STR_TRANSFORME_NOSPACE || nMode > STR_TRANSFORME_NOSPACE_NOACCENT_UPPER) {
        const unsigned nSize = nDstSize < UINT_MAX ? static_cast<unsigned>(nDstSize) : UINT_MAX;
        return STR_nMapStringEx(nMode, pszDst, nSize, pszSrc, nSrcLen, 1);
    }
    if (pszDst == nullptr || nDstSize == 0)
        return 0;
    if (pszSrc == nullptr) {
        pszDst[0] = '\0';
        return 0;
    }
    // Bit 0 of the mode asks for upper case, bit 1 for accent removal.
    unsigned char abyScratch[256];
    const unsigned char* pbyMap = _STR_pbyMapTable(&gstCharTab, nMode & 3, true, abyScratch);
    return nMapInto(pszDst, nDstSize, pszSrc, nSrcLen, pbyMap, pbyCharType_Latin1,
                    eCHARTYPE_SPACE);
}

void STR_MapStringSortEx(char* pszDst, unsigned long nDstSize, const char* pszSrc, long nSrcLen,
                         int bCurrent)
{
    if (pszDst == nullptr || nDstSize == 0)
        return;
    const unsigned short* pwOrder =
        (bCurrent != 0 ? STR_pstGetCharTabLocal() : &gstCharTab)->pwCharOrder;
    std::size_t n = 0;
    if (pszSrc != nullptr) {
        n = nSourceLen(pszSrc, nSrcLen, nDstSize - 1);
        for (std::size_t i = 0; i < n; ++i)
            pszDst[i] = static_cast<char>(pwOrder[static_cast<unsigned char>(pszSrc[i])] & 0xFF);
    }
    std::memset(pszDst + n, 0, nDstSize - n);
}

char* STR_ToUpper(char* psz)
{
    if (psz != nullptr)
        MapBytes(reinterpret_cast<unsigned char*>(psz), reinterpret_cast<unsigned char*>(psz),
                 std::strlen(psz), pToUpper_Latin1);
    return psz;
}

char* STR_ToLower(char* psz)
{
    if (psz != nullptr)
        MapBytes(reinterpret_cast<unsigned char*>(psz), reinterpret_cast<unsigned char*>(psz),
                 std::strlen(psz), pToLower_Latin1);
    return psz;
}
