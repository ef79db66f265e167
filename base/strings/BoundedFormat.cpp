// Formatting into a buffer of known room: sznprintf and its va_list and wide forms.
#include "base/strings/BoundedFormat.h"

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
    // n + 1 computed in size_t: it cannot wrap to 0 even for n = UINT_MAX on 64 bits; on 32 bits
    // such a buffer cannot exist anyway.
    const std::size_t nRoom = static_cast<std::size_t>(n) + 1;
    const int nRes = std::vsnprintf(pszBuf, nRoom == 0 ? n : nRoom, pszFormat, args);
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
