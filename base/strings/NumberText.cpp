// Numbers to text in any radix from 2 to 36, and reading hexadecimal digits.
#include "base/strings/NumberText.h"

namespace {

// Writes the sign (when bNegative) and the digits of dwlMagnitude into pDst, terminated.
template <typename TChar>
TChar* _pFormat(unsigned long long dwlMagnitude, bool bNegative, TChar* pDst, int nRadix)
{
    if (pDst == nullptr)
        return nullptr;
    if (nRadix < 2 || nRadix > 36) {
        pDst[0] = 0;
        return pDst;
    }
    static const char s_szDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    char achReversed[64]; // radix 2 of a 64-bit magnitude at most
    int nCount = 0;
    const unsigned long long dwlRadix = static_cast<unsigned long long>(nRadix);
    do {
        achReversed[nCount++] = s_szDigits[dwlMagnitude % dwlRadix];
        dwlMagnitude /= dwlRadix;
    } while (dwlMagnitude != 0);
    TChar* p = pDst;
    if (bNegative)
        *p++ = static_cast<TChar>('-');
    while (nCount > 0)
        *p++ = static_cast<TChar>(achReversed[--nCount]);
    *p = 0;
    return pDst;
}

// Magnitude of a signed value, computed in unsigned arithmetic so that the most negative
// value does not overflow.
unsigned long long _dwlMagnitude(long long nValue)
{
    const unsigned long long dwl = static_cast<unsigned long long>(nValue);
    return nValue < 0 ? 0ULL - dwl : dwl;
}

int _nHexDigit(unsigned char by)
{
    if (by >= '0' && by <= '9')
        return by - '0';
    if (by >= 'a' && by <= 'f')
        return by - 'a' + 10;
    if (by >= 'A' && by <= 'F')
        return by - 'A' + 10;
    return -1;
}

} // namespace

char* itoa(int nValue, char* pszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pszDst, nRadix);
}

char* ltoa(long nValue, char* pszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pszDst, nRadix);
}

char* ultoa(unsigned long nValue, char* pszDst, int nRadix)
{
    return _pFormat(nValue, false, pszDst, nRadix);
}

char* i64toa(long long nValue, char* pszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pszDst, nRadix);
}

char* ui64toa(unsigned long long nValue, char* pszDst, int nRadix)
{
    return _pFormat(nValue, false, pszDst, nRadix);
}

wchar_t* itow(int nValue, wchar_t* pwszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pwszDst, nRadix);
}

wchar_t* ltow(long nValue, wchar_t* pwszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pwszDst, nRadix);
}

wchar_t* ultow(unsigned long nValue, wchar_t* pwszDst, int nRadix)
{
    return _pFormat(nValue, false, pwszDst, nRadix);
}

wchar_t* i64tow(long long nValue, wchar_t* pwszDst, int nRadix)
{
    return _pFormat(_dwlMagnitude(nValue), nValue < 0, pwszDst, nRadix);
}

wchar_t* ui64tow(unsigned long long nValue, wchar_t* pwszDst, int nRadix)
{
    return _pFormat(nValue, false, pwszDst, nRadix);
}

long long nGetEntierHexa(const char* pszText, int& nDigits)
{
    nDigits = 0;
    if (pszText == nullptr)
        return 0;
    unsigned long long dwlValue = 0;
    const unsigned char* pby = reinterpret_cast<const unsigned char*>(pszText);
    for (int nDigit; (nDigit = _nHexDigit(pby[nDigits])) >= 0; ++nDigits)
        dwlValue = dwlValue * 16 + static_cast<unsigned long long>(nDigit);
    // Wraps: values of 2^63 and above come out negative, as two's complement.
    return static_cast<long long>(dwlValue);
}
