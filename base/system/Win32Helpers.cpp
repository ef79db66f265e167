// Small helpers of the Win32 and C run-time emulation: MulDiv, makepath, _strset, _strnset and
// the Windows-1252 letter-or-digit test.
#include "base/system/Win32Helpers.h"

#include "base/strings/CharTables.h"
#include "base/system/Emule.h"

#include <cstring>
#include <string>

const unsigned char* const pbyIsCharAlphaNumeric = gpbyIsChaAlphaNumeric_Latin1;

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    int64_t nA = a;
    int64_t nC = c;
    if (nC < 0) {
        nA = -nA;
        nC = -nC;
    }
    // |a × b| < 2^62 and c/2 < 2^31: the sum stays inside 64 bits.
    const int64_t nProduct = nA * b;
    const bool bSameSign = (nA < 0) == (b < 0);
    const int64_t nResult = (bSameSign ? nProduct + nC / 2 : nProduct - nC / 2) / nC;
    if (nResult > INT32_MAX || nResult < INT32_MIN)
        return -1;
    return static_cast<int>(nResult);
}

void makepath(char* pszPath, const char*, const char* pszDir, const char* pszName, const char* pszExt)
{
    if (!pszPath)
        return;
    std::string s = pszDir ? pszDir : "";
    if (!s.empty() && s.back() != '/')
        s += '/';
    if (pszName && *pszName) {
        s += pszName;
        if (pszExt && *pszExt) {
            if (*pszExt != '.')
                s += '.';
            s += pszExt;
        }
    }
    const std::size_t n = s.size() < 260 ? s.size() : 260;
    std::memcpy(pszPath, s.data(), n);
    pszPath[n] = '\0';
}

char* _strset(char* psz, int c)
{
    for (char* p = psz; p && *p; ++p)
        *p = static_cast<char>(c);
    return psz;
}

char* _strnset(char* psz, int c, size_t n)
{
    if (!psz || !*psz || n == 0)
        return psz;
    char* p = psz;
    for (; *p && n > 0; ++p, --n)
        *p = static_cast<char>(c);
    return p;
}

BOOL LinuxIsCharAlphaNumericA(char c)
{
    return bEmule_IsCharAlphaNumericA(c);
}
