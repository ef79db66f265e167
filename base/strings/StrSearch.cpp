// Searching in texts: substrings with or without case, backward, sets, counts, bounded lengths.
#include "base/strings/StrSearch.h"

#include "base/strings/CharTables.h"

#include <cstring>
#include <cwchar>
#include <strings.h>

namespace {

// First position p within the first nLimit characters of the text (stopping at its terminator)
// where fnMatch(p) holds for a needle of nNeedle characters that fits before the limit.
template <typename MatchFn>
const char* pszFindBounded(const char* pszText, std::size_t nNeedle, unsigned long nLimit,
                           MatchFn fnMatch)
{
    const std::size_t nText = strnlen(pszText, nLimit);
    if (nNeedle > nText)
        return nullptr;
    for (std::size_t i = 0; i + nNeedle <= nText; ++i)
        if (fnMatch(pszText + i))
            return pszText + i;
    return nullptr;
}

} // namespace

const char* STR_StrIStr(const char* pszText, const char* pszNeedle)
{
    return STR_strnistrA(pszText, pszNeedle, static_cast<unsigned long>(-1));
}

char* STR_StrIStr(char* pszText, const char* pszNeedle)
{
    return const_cast<char*>(STR_StrIStr(static_cast<const char*>(pszText), pszNeedle));
}

const char* STR_strnistrA(const char* pszText, const char* pszNeedle, unsigned long n)
{
    if (pszText == nullptr || pszNeedle == nullptr)
        return nullptr;
    const std::size_t nNeedle = std::strlen(pszNeedle);
    return pszFindBounded(pszText, nNeedle, n, [&](const char* p) {
        return strncasecmp(p, pszNeedle, nNeedle) == 0;
    });
}

char* STR_strnistrA(char* pszText, const char* pszNeedle, unsigned long n)
{
    return const_cast<char*>(STR_strnistrA(static_cast<const char*>(pszText), pszNeedle, n));
}

const char* STR_pszUpStrstr(const char* pszText, const char* pszNeedle)
{
    if (pszText == nullptr || pszNeedle == nullptr)
        return nullptr;
    const unsigned char* pNeedle = reinterpret_cast<const unsigned char*>(pszNeedle);
    if (*pNeedle == 0)
        return pszText;
    const unsigned char byFirst = pToUpper_Latin1[*pNeedle];
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(pszText); *p != 0; ++p) {
        if (pToUpper_Latin1[*p] != byFirst)
            continue;
        std::size_t k = 1;
        // The text's terminator never matches a needle byte, so p[k] stays within the text.
        while (pNeedle[k] != 0 && pToUpper_Latin1[p[k]] == pToUpper_Latin1[pNeedle[k]])
            ++k;
        if (pNeedle[k] == 0)
            return reinterpret_cast<const char*>(p);
    }
    return nullptr;
}

char* STR_pszUpStrstr(char* pszText, const char* pszNeedle)
{
    return const_cast<char*>(STR_pszUpStrstr(static_cast<const char*>(pszText), pszNeedle));
}

const char* STR_strnstrA(const char* pszText, const char* pszNeedle, unsigned long n)
{
    if (pszText == nullptr || pszNeedle == nullptr)
        return nullptr;
    const std::size_t nNeedle = std::strlen(pszNeedle);
    return pszFindBounded(pszText, nNeedle, n, [&](const char* p) {
        return std::memcmp(p, pszNeedle, nNeedle) == 0;
    });
}

char* STR_strnstrA(char* pszText, const char* pszNeedle, unsigned long n)
{
    return const_cast<char*>(STR_strnstrA(static_cast<const char*>(pszText), pszNeedle, n));
}

const char* STRRSTR(const char* pszText, long nStart, const char* pszNeedle)
{
    if (pszText == nullptr || pszNeedle == nullptr || nStart < 1)
        return nullptr;
    const std::size_t nText = std::strlen(pszText);
    const std::size_t nNeedle = std::strlen(pszNeedle);
    if (nNeedle > nText)
        return nullptr;
    std::size_t i = nText - nNeedle;
    if (static_cast<unsigned long>(nStart) < i)
        i = static_cast<std::size_t>(nStart);
    for (; i >= 1; --i)
        if (std::memcmp(pszText + i, pszNeedle, nNeedle) == 0)
            return pszText + i;
    return nullptr;
}

char* STRRSTR(char* pszText, long nStart, const char* pszNeedle)
{
    return const_cast<char*>(STRRSTR(static_cast<const char*>(pszText), nStart, pszNeedle));
}

const char* STRRSTRA(const char* pszText, long nStart, const char* pszNeedle)
{
    return STRRSTR(pszText, nStart, pszNeedle);
}

char* STRRSTRA(char* pszText, long nStart, const char* pszNeedle)
{
    return STRRSTR(pszText, nStart, pszNeedle);
}

const char* STRRPBRK(const char* pszText, const char* pszSet)
{
    if (pszText == nullptr || pszSet == nullptr || *pszSet == '\0')
        return nullptr;
    for (std::size_t i = std::strlen(pszText); i > 0; --i)
        if (std::strchr(pszSet, pszText[i - 1]) != nullptr)
            return pszText + i - 1;
    return nullptr;
}

char* STRRPBRK(char* pszText, const char* pszSet)
{
    return const_cast<char*>(STRRPBRK(static_cast<const char*>(pszText), pszSet));
}

int STR_nNbOccurrence(const char* pszText, char c)
{
    if (pszText == nullptr || c == '\0')
        return 0;
    int n = 0;
    for (const char* p = pszText; *p != '\0'; ++p)
        n += *p == c;
    return n;
}

long STR_nLen(const char* pszText, long nMax)
{
    if (pszText == nullptr)
        return 0;
    return static_cast<long>(nMax < 0 ? std::strlen(pszText)
                                      : strnlen(pszText, static_cast<unsigned long>(nMax)));
}

long STR_nLenW(const wchar_t* pwszText, long nMax)
{
    if (pwszText == nullptr)
        return 0;
    return static_cast<long>(nMax < 0 ? std::wcslen(pwszText)
                                      : wcsnlen(pwszText, static_cast<unsigned long>(nMax)));
}
