// Conversions between single-byte text of a code page, wide text and UTF-8, as heap copies.
#include "base/strings/StrWide.h"

#include "base/strings/CharTables.h"
#include "base/strings/CodePage.h"
#include "base/strings/StrCopy.h"
#include "base/system/Locale.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

constexpr unsigned kCodePageUtf8 = 65001;
constexpr unsigned kFlagPrecomposed = 1;

// Source length in units: nLen negative means the whole text; the terminator ends it in any
// case. -1 when it does not fit the converters' int counts.
int nSourceUnits(const char* psz, int nLen)
{
    const std::size_t n = nLen < 0 ? std::strlen(psz) : strnlen(psz, static_cast<std::size_t>(nLen));
    return n > static_cast<std::size_t>(INT_MAX - 1) ? -1 : static_cast<int>(n);
}

int nSourceUnits(const wchar_t* pwsz, int nLen)
{
    const std::size_t n =
        nLen < 0 ? std::wcslen(pwsz) : wcsnlen(pwsz, static_cast<std::size_t>(nLen));
    return n > static_cast<std::size_t>(INT_MAX - 1) ? -1 : static_cast<int>(n);
}

template <typename T>
bool bFail(T** ppOut, int* pnCount)
{
    if (ppOut != nullptr)
        *ppOut = nullptr;
    if (pnCount != nullptr)
        *pnCount = 0;
    return false;
}

template <typename T>
bool bSucceed(T** ppOut, int* pnCount, T* pResult, int nCount)
{
    pResult[nCount] = 0;
    *ppOut = pResult;
    if (pnCount != nullptr)
        *pnCount = nCount;
    return true;
}

unsigned nCurrentCodePage()
{
    return dwGetCodePageFromCharset(STR_nGetCurrentChangeCharset());
}

} // namespace

wchar_t STR_CharToWChar(char c, unsigned dwFlags, unsigned nCodePage)
{
    if (c == '\0')
        return L'\0';
    wchar_t wc = L'\0';
    return MultiByteToWideChar(nCodePage, dwFlags, &c, 1, &wc, 1) == 1 ? wc : L'\0';
}

bool STR_CharToWChar(wchar_t** ppwszOut, const char* pszSrc)
{
    return STR_CharToWChar_AnyCodepage(pszSrc, -1, 1252, ppwszOut, nullptr, 0);
}

bool STR_CharToWChar_AnyCodepage(const char* pszSrc, int nLen, unsigned nCodePage,
                                 wchar_t** ppwszOut, int* pnCount, unsigned dwFlags)
{
    if (pszSrc == nullptr || ppwszOut == nullptr)
        return bFail(ppwszOut, pnCount);
    if (nCodePage != kCodePageUtf8)
        dwFlags |= kFlagPrecomposed;
    const int nSrc = nSourceUnits(pszSrc, nLen);
    if (nSrc < 0)
        return bFail(ppwszOut, pnCount);
    // An empty source converts to nothing, which the converter cannot tell from a failure.
    const int nNeed =
        nSrc == 0 ? 0 : MultiByteToWideChar(nCodePage, dwFlags, pszSrc, nSrc, nullptr, 0);
    if (nSrc != 0 && nNeed <= 0)
        return bFail(ppwszOut, pnCount);
    wchar_t* pwsz = STR_pszCreateW(static_cast<unsigned long>(nNeed));
    if (pwsz == nullptr)
        return bFail(ppwszOut, pnCount);
    const int nGot =
        nSrc == 0 ? 0 : MultiByteToWideChar(nCodePage, dwFlags, pszSrc, nSrc, pwsz, nNeed);
    if (nSrc != 0 && (nGot <= 0 || nGot > nNeed)) {
        STR_DeleteW(pwsz);
        return bFail(ppwszOut, pnCount);
    }
    return bSucceed(ppwszOut, pnCount, pwsz, nGot);
}

bool STR_WCharToChar_AnyCodepage(const wchar_t* pwszSrc, int nLen, unsigned nCodePage,
                                 char** ppszOut, int* pnCount, unsigned dwFlags)
{
    if (pwszSrc == nullptr || ppszOut == nullptr)
        return bFail(ppszOut, pnCount);
    const int nSrc = nSourceUnits(pwszSrc, nLen);
    if (nSrc < 0)
        return bFail(ppszOut, pnCount);
    const int nNeed = nSrc == 0 ? 0
                                : WideCharToMultiByte(nCodePage, dwFlags, pwszSrc, nSrc, nullptr,
                                                      0, nullptr, nullptr);
    if (nSrc != 0 && nNeed <= 0)
        return bFail(ppszOut, pnCount);
    char* psz = STR_pszCreate(static_cast<unsigned>(nNeed));
    if (psz == nullptr)
        return bFail(ppszOut, pnCount);
    const int nGot = nSrc == 0 ? 0
                               : WideCharToMultiByte(nCodePage, dwFlags, pwszSrc, nSrc, psz,
                                                     nNeed, nullptr, nullptr);
    if (nSrc != 0 && (nGot <= 0 || nGot > nNeed)) {
        STR_Delete(psz);
        return bFail(ppszOut, pnCount);
    }
    return bSucceed(ppszOut, pnCount, psz, nGot);
}

bool STR_CharToChar_AnyCodepage(const char* pszSrc, int nLen, unsigned nFromCodePage,
                                char** ppszOut, int* pnCount, unsigned nToCodePage)
{
    if (pszSrc == nullptr || ppszOut == nullptr)
        return bFail(ppszOut, pnCount);
    const int nSrc = nSourceUnits(pszSrc, nLen);
    if (nSrc < 0)
        return bFail(ppszOut, pnCount);
    if (nFromCodePage == nToCodePage || nSrc == 0) {
        char* psz = STR_pszCreate(static_cast<unsigned>(nSrc), pszSrc);
        if (psz == nullptr)
            return bFail(ppszOut, pnCount);
        return bSucceed(ppszOut, pnCount, psz, nSrc);
    }
    const unsigned nSrcU = static_cast<unsigned>(nSrc);
    const unsigned nNeed =
        MultiByteToMultiByte(nFromCodePage, pszSrc, nSrcU, nToCodePage, nullptr, 0);
    if (nNeed == 0 || nNeed > static_cast<unsigned>(INT_MAX - 1))
        return bFail(ppszOut, pnCount);
    char* psz = STR_pszCreate(nNeed);
    if (psz == nullptr)
        return bFail(ppszOut, pnCount);
    const unsigned nGot = MultiByteToMultiByte(nFromCodePage, pszSrc, nSrcU, nToCodePage, psz, nNeed);
    if (nGot == 0 || nGot > nNeed) {
        STR_Delete(psz);
        return bFail(ppszOut, pnCount);
    }
    return bSucceed(ppszOut, pnCount, psz, static_cast<int>(nGot));
}

bool STR_CharToWChar_CurrentCharset(const char* pszSrc, int nLen, wchar_t** ppwszOut,
                                    int* pnCount, unsigned dwFlags)
{
    return STR_CharToWChar_AnyCodepage(pszSrc, nLen, nCurrentCodePage(), ppwszOut, pnCount,
                                       dwFlags);
}

bool STR_WCharToChar_CurrentCharset(const wchar_t* pwszSrc, int nLen, char** ppszOut,
                                    int* pnCount, unsigned dwFlags)
{
    return STR_WCharToChar_AnyCodepage(pwszSrc, nLen, nCurrentCodePage(), ppszOut, pnCount,
                                       dwFlags);
}

char* STR_pszCreateFromXUTF8(const char* pszUtf8)
{
    wchar_t* pwsz = nullptr;
    if (!STR_CharToWChar_AnyCodepage(pszUtf8, -1, kCodePageUtf8, &pwsz, nullptr, 0))
        return nullptr;
    char* psz = nullptr;
    STR_WCharToChar_AnyCodepage(pwsz, -1, 0, &psz, nullptr, 0);
    STR_DeleteW(pwsz);
    return psz;
}

char* STR_pszCreateToXUTF8(const char* pszAnsi)
{
    wchar_t* pwsz = nullptr;
    if (!STR_CharToWChar_AnyCodepage(pszAnsi, -1, 0, &pwsz, nullptr, 0))
        return nullptr;
    char* psz = nullptr;
    STR_WCharToChar_AnyCodepage(pwsz, -1, kCodePageUtf8, &psz, nullptr, 0);
    STR_DeleteW(pwsz);
    return psz;
}
