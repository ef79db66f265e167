// Formatting into a buffer of known room: sznprintf and its va_list and wide forms.
#include "base/strings/BoundedFormat.h"

#include <algorithm>

#include <cstdint>
#include <cstdio>

int sznprintf(char* pszBuf, unsigned n, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const int nRes = vsznprintf(pszBuf, n, pszFormat, args);
    va_end(args);
    return nRes;
}

int vsznprintf(char* pszBuf, unsigned n, const char* pszFormat, va_list args)
{
    if (pszBuf == nullptr)
        return -1;
    if (pszFormat == nullptr) {
        pszBuf[0] = '\0';
        pszBuf[n] = '\0';
        return -1;
    }
    // No object is larger than PTRDIFF_MAX bytes, so n + 1 is capped there (n = UINT_MAX on 32 bits
    // would otherwise wrap to 0).
    const std::size_t nMaxRoom = static_cast<std::size_t>(PTRDIFF_MAX);
    const std::size_t nRoom = std::min(static_cast<std::size_t>(n), nMaxRoom - 1) + 1;
    const int nRes = std::vsnprintf(pszBuf, nRoom, pszFormat, args);
    if (nRes < 0)
        pszBuf[0] = '\0';
    pszBuf[n] = '\0';
    if (nRes < 0 || static_cast<unsigned>(nRes) > n)
        return -1;
    return nRes;
}

int sznwprintf(wchar_t* pwszBuf, unsigned n, const wchar_t* pwszFormat, ...)
{
    va_list args;
    va_start(args, pwszFormat);
    const int nRes = vsznwprintf(pwszBuf, n, pwszFormat, args);
    va_end(args);
    return nRes;
}

int vsznwprintf(wchar_t* pwszBuf, unsigned n, const wchar_t* /*pwszFormat*/, va_list /*args*/)
{
    if (pwszBuf != nullptr) {
        pwszBuf[0] = 0;
        pwszBuf[n] = 0;
    }
    return -1;
}
