// In-place editing of texts: trimming, removing runs of a character, padding, ellipsis.
#include "base/strings/StrEdit.h"

#include <cctype>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

template <typename Pred>
char* pszTrimRight(char* psz, Pred fnDrop)
{
    if (psz == nullptr)
        return nullptr;
    std::size_t n = std::strlen(psz);
    while (n > 0 && fnDrop(static_cast<unsigned char>(psz[n - 1])))
        --n;
    psz[n] = '\0';
    return psz;
}

template <typename Pred>
char* pszTrimLeft(char* psz, Pred fnDrop)
{
    if (psz == nullptr)
        return nullptr;
    std::size_t nSkip = 0;
    while (psz[nSkip] != '\0' && fnDrop(static_cast<unsigned char>(psz[nSkip])))
        ++nSkip;
    if (nSkip != 0)
        std::memmove(psz, psz + nSkip, std::strlen(psz + nSkip) + 1);
    return psz;
}

inline bool bSpace(unsigned char c) { return std::isspace(c) != 0; }

} // namespace

char* STR_SuppressRightSpaces(char* psz) { return pszTrimRight(psz, bSpace); }
char* STR_SuppressLeftSpaces(char* psz) { return pszTrimLeft(psz, bSpace); }
char* STR_SuppressSideSpaces(char* psz) { return pszTrimLeft(pszTrimRight(psz, bSpace), bSpace); }
char* STR_SuppressRightSpacesA(char* psz) { return STR_SuppressRightSpaces(psz); }
char* STR_SuppressLeftSpacesA(char* psz) { return STR_SuppressLeftSpaces(psz); }

char* STR_SuppressAllSpaces(char* psz)
{
    if (psz == nullptr)
        return nullptr;
    char* pOut = psz;
    for (const char* p = psz; *p != '\0'; ++p)
        if (!bSpace(static_cast<unsigned char>(*p)))
            *pOut++ = *p;
    *pOut = '\0';
    return psz;
}

wchar_t* STR_SuppressRightSpacesW(wchar_t* pwsz)
{
    if (pwsz == nullptr)
        return nullptr;
    std::size_t n = std::wcslen(pwsz);
    while (n > 0 && std::iswspace(static_cast<wint_t>(pwsz[n - 1])))
        --n;
    pwsz[n] = L'\0';
    return pwsz;
}

char* STR_SuppressRightCar(char* psz, char c)
{
    return pszTrimRight(psz, [c](unsigned char by) { return by == static_cast<unsigned char>(c); });
}

char* STR_SuppressLeftCar(char* psz, char c)
{
    return pszTrimLeft(psz, [c](unsigned char by) { return by == static_cast<unsigned char>(c); });
}

char* STR_SuppressSideCar(char* psz, char c)
{
    return STR_SuppressLeftCar(STR_SuppressRightCar(psz, c), c);
}

char* STR_Complete(char* psz, unsigned long nSize, char c)
{
    if (psz == nullptr || nSize == 0)
        return psz;
    const std::size_t nWant = nSize - 1;
    const std::size_t nHave = strnlen(psz, nWant);
    std::memset(psz + nHave, c, nWant - nHave);
    psz[nWant] = '\0';
    return psz;
}

const char* STR_Ellipsis(char* pszDst, const char* pszSrc, unsigned nMax, eELLIPSISPOSITION ePos)
{
    if (nMax < 3)
        return pszSrc;
    if (pszSrc == nullptr || pszDst == nullptr)
        return nullptr;
    const std::size_t nSrc = std::strlen(pszSrc);
    if (nSrc <= nMax) {
        std::memmove(pszDst, pszSrc, nSrc + 1);
        return pszDst;
    }
    // Head and tail kept around the three points; head + 3 + tail == nMax.
    std::size_t nHead = nMax - 3;
    std::size_t nTail = 0;
    if (ePos == eELLIPSIS_MIDDLE) {
        nHead = (nMax - 3) / 2;
        nTail = (nMax - 2) / 2;
    } else if (ePos == eELLIPSIS_START) {
        nHead = 0;
        nTail = nMax - 3;
    }
    // When dst is src the head stays in place and the tail moves left onto bytes already
    // read; the points are written last, over bytes no longer needed.
    std::memmove(pszDst, pszSrc, nHead);
    std::memmove(pszDst + nHead + 3, pszSrc + nSrc - nTail, nTail);
    std::memcpy(pszDst + nHead, "...", 3);
    pszDst[nMax] = '\0';
    return pszDst;
}
