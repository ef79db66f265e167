// Heap copies of texts and bounded copies.
#include "base/strings/StrCopy.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// Block of n + 1 elements of nElem bytes; null when the size overflows or malloc fails.
void* pAllocText(std::size_t n, std::size_t nElem)
{
    if (n >= SIZE_MAX / nElem)
        return nullptr;
    return std::malloc((n + 1) * nElem);
}

std::size_t nLenA(const char* psz) { return psz != nullptr ? std::strlen(psz) : 0; }
std::size_t nLenW(const wchar_t* pwsz) { return pwsz != nullptr ? std::wcslen(pwsz) : 0; }

// Heap copy of the texts of pTexts (nulls count as empty), joined.
char* pszJoin(const char* const* pTexts, std::size_t nTexts)
{
    std::size_t nTotal = 0;
    for (std::size_t i = 0; i < nTexts; ++i) {
        const std::size_t n = nLenA(pTexts[i]);
        if (n > SIZE_MAX - 1 - nTotal)
            return nullptr;
        nTotal += n;
    }
    char* psz = static_cast<char*>(pAllocText(nTotal, 1));
    if (psz == nullptr)
        return nullptr;
    char* p = psz;
    for (std::size_t i = 0; i < nTexts; ++i) {
        const std::size_t n = nLenA(pTexts[i]);
        if (n != 0)
            std::memcpy(p, pTexts[i], n);
        p += n;
    }
    *p = '\0';
    return psz;
}

// Generic bounded copy/append over char or wchar_t.
template <typename T>
std::size_t nTextLenBounded(const T* p, std::size_t nMax)
{
    std::size_t n = 0;
    while (n < nMax && p[n] != 0)
        ++n;
    return n;
}

template <typename T>
unsigned long nCopyT(T* pDst, unsigned long nSize, const T* pSrc, long n)
{
    if (pDst == nullptr || nSize == 0)
        return 0;
    std::size_t nCopy = 0;
    if (pSrc != nullptr) {
        const std::size_t nMax = n < 0 ? static_cast<std::size_t>(nSize - 1)
                                       : std::min<std::size_t>(static_cast<unsigned long>(n), nSize - 1);
        nCopy = nTextLenBounded(pSrc, nMax);
        std::memmove(pDst, pSrc, nCopy * sizeof(T));
    }
    pDst[nCopy] = 0;
    return nCopy;
}

template <typename T>
unsigned long nCatT(T* pDst, unsigned long nSize, const T* pSrc, long n)
{
    if (pDst == nullptr || nSize == 0)
        return 0;
    const std::size_t nCur = nTextLenBounded(pDst, nSize);
    if (nCur >= nSize)
        return 0;  // no terminator within nSize: not a text this call may extend
    return nCopyT(pDst + nCur, nSize - nCur, pSrc, n);
}

} // namespace

char* STR_pszCreate(unsigned n) { return static_cast<char*>(pAllocText(n, 1)); }
char* STR_pszCreateA(unsigned long n) { return static_cast<char*>(pAllocText(n, 1)); }
wchar_t* STR_pszCreateW(unsigned long n)
{
    return static_cast<wchar_t*>(pAllocText(n, sizeof(wchar_t)));
}

char* STR_pszCreate(const char* psz)
{
    if (psz == nullptr)
        return nullptr;
    return pszJoin(&psz, 1);
}

char* STR_pszCreateA(const char* psz) { return STR_pszCreate(psz); }

wchar_t* STR_pszCreateW(const wchar_t* pwsz)
{
    if (pwsz == nullptr)
        return nullptr;
    const std::size_t n = std::wcslen(pwsz);
    wchar_t* pwszNew = static_cast<wchar_t*>(pAllocText(n, sizeof(wchar_t)));
    if (pwszNew != nullptr)
        std::memcpy(pwszNew, pwsz, (n + 1) * sizeof(wchar_t));
    return pwszNew;
}

char* STR_pszCreate(unsigned nSize, const char* psz)
{
    char* pszNew = STR_pszCreate(nSize);
    if (pszNew != nullptr)
        nCopyT(pszNew, static_cast<unsigned long>(nSize) + 1, psz, -1);
    return pszNew;
}

wchar_t* STR_pszCreateW(unsigned nSize, const wchar_t* pwsz)
{
    wchar_t* pwszNew = STR_pszCreateW(static_cast<unsigned long>(nSize));
    if (pwszNew != nullptr)
        nCopyT(pwszNew, static_cast<unsigned long>(nSize) + 1, pwsz, -1);
    return pwszNew;
}

char* STR_pszCreate(const char* pszA, const char* pszB)
{
    const char* apsz[] = {pszA, pszB};
    return pszJoin(apsz, 2);
}

wchar_t* STR_pszCreateW(const wchar_t* pwszA, const wchar_t* pwszB)
{
    const std::size_t nA = nLenW(pwszA);
    const std::size_t nB = nLenW(pwszB);
    if (nB > SIZE_MAX / sizeof(wchar_t) - 1 - nA)
        return nullptr;
    wchar_t* pwsz = static_cast<wchar_t*>(pAllocText(nA + nB, sizeof(wchar_t)));
    if (pwsz == nullptr)
        return nullptr;
    if (nA != 0)
        std::memcpy(pwsz, pwszA, nA * sizeof(wchar_t));
    if (nB != 0)
        std::memcpy(pwsz + nA, pwszB, nB * sizeof(wchar_t));
    pwsz[nA + nB] = L'\0';
    return pwsz;
}

char* STR_pszConcat(const char* pszA, const char* pszB, const char* pszC)
{
    const char* apsz[] = {pszA, pszB, pszC};
    return pszJoin(apsz, 3);
}

char* STR_pszConcatPoint(const char* pszA, const char* pszB)
{
    const char* apsz[] = {pszA, ".", pszB};
    return pszJoin(apsz, 3);
}

bool STR_bRedefine(char** ppsz, const char* psz)
{
    if (ppsz == nullptr)
        return false;
    // Copy before freeing: psz may be the old block itself or lie inside it.
    char* pszNew = nullptr;
    if (psz != nullptr) {
        pszNew = STR_pszCreate(psz);
        if (pszNew == nullptr)
            return false;
    }
    std::free(*ppsz);
    *ppsz = pszNew;
    return true;
}

bool STR_bResize(void** pp, std::size_t nSize)
{
    if (pp == nullptr)
        return false;
    // realloc to 0 bytes may free the block and return null, which would look like a failure
    // while *pp dangles: keep at least one byte.
    void* pNew = std::realloc(*pp, nSize != 0 ? nSize : 1);
    if (pNew == nullptr)
        return false;
    *pp = pNew;
    return true;
}

wchar_t* STR_RemplaceW(const wchar_t* pwszText, const wchar_t* pwszSearch, const wchar_t* pwszRepl)
{
    const std::size_t nText = nLenW(pwszText);
    const std::size_t nSearch = nLenW(pwszSearch);
    const std::size_t nRepl = nLenW(pwszRepl);
    if (nText == 0 || nSearch == 0)
        return nullptr;

    std::size_t nHits = 0;
    for (const wchar_t* p = std::wcsstr(pwszText, pwszSearch); p != nullptr;
         p = std::wcsstr(p + nSearch, pwszSearch))
        ++nHits;
    if (nHits == 0)
        return nullptr;

    // New length = nText - nHits * nSearch + nHits * nRepl; the removed part never exceeds
    // nText, so only the added part can overflow.
    const std::size_t nKept = nText - nHits * nSearch;
    if (nRepl != 0 && nHits > (SIZE_MAX / sizeof(wchar_t) - 1 - nKept) / nRepl)
        return nullptr;
    wchar_t* pwszNew = static_cast<wchar_t*>(pAllocText(nKept + nHits * nRepl, sizeof(wchar_t)));
    if (pwszNew == nullptr)
        return nullptr;

    wchar_t* pOut = pwszNew;
    const wchar_t* pIn = pwszText;
    for (const wchar_t* pHit = std::wcsstr(pIn, pwszSearch); pHit != nullptr;
         pHit = std::wcsstr(pIn, pwszSearch)) {
        const std::size_t nBefore = static_cast<std::size_t>(pHit - pIn);
        std::memcpy(pOut, pIn, nBefore * sizeof(wchar_t));
        pOut += nBefore;
        if (nRepl != 0)
            std::memcpy(pOut, pwszRepl, nRepl * sizeof(wchar_t));
        pOut += nRepl;
        pIn = pHit + nSearch;
    }
    const std::size_t nTail = std::wcslen(pIn);
    std::memcpy(pOut, pIn, (nTail + 1) * sizeof(wchar_t));
    return pwszNew;
}

void STR_Delete(void* p) { std::free(p); }
void STR_DeleteA(char* psz) { std::free(psz); }
void STR_DeleteW(wchar_t* pwsz) { std::free(pwsz); }

unsigned long STR_nCopy(char* pszDst, unsigned long nSize, const char* pszSrc, long n)
{
    return nCopyT(pszDst, nSize, pszSrc, n);
}

unsigned long STR_nCat(char* pszDst, unsigned long nSize, const char* pszSrc, long n)
{
    return nCatT(pszDst, nSize, pszSrc, n);
}

unsigned long STR_nCut(char* pszDst, unsigned long nSize, const char* pszSrc)
{
    return nCopyT(pszDst, nSize, pszSrc, -1);
}

unsigned long STR_nCatCut(char* pszDst, unsigned long nSize, const char* pszSrc)
{
    return nCatT(pszDst, nSize, pszSrc, -1);
}

unsigned long STR_nCopyW(wchar_t* pwszDst, unsigned long nSize, const wchar_t* pwszSrc, long n)
{
    return nCopyT(pwszDst, nSize, pwszSrc, n);
}

unsigned long STR_nCatW(wchar_t* pwszDst, unsigned long nSize, const wchar_t* pwszSrc, long n)
{
    return nCatT(pwszDst, nSize, pwszSrc, n);
}
