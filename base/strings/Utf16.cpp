// UTF-16 text as 16-bit units: lengths, copies, caseless comparison and search, conversions.
#include "base/strings/Utf16.h"

#include "base/strings/CodePage.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

// Temporary wide array: on the stack for short texts, on the heap beyond (a long text must
// not be able to exhaust the stack).
class CWideScratch {
public:
    explicit CWideScratch(std::size_t nCount)
        : m_pwsz(nCount <= kStackCount ? m_awchStack
                                       : static_cast<wchar_t*>(std::malloc(nCount * sizeof(wchar_t)))) {}
    CWideScratch(const CWideScratch&) = delete;
    CWideScratch& operator=(const CWideScratch&) = delete;
    ~CWideScratch()
    {
        if (m_pwsz != m_awchStack)
            std::free(m_pwsz);
    }
    wchar_t* pwszGet() { return m_pwsz; }

private:
    static const std::size_t kStackCount = 256; // 1,024 bytes
    wchar_t m_awchStack[kStackCount];
    wchar_t* m_pwsz;
};

wint_t _wLower(unsigned short w)
{
    return std::towlower(static_cast<wint_t>(w));
}

} // namespace

std::size_t utf16len(const unsigned short* pwszText)
{
    if (pwszText == nullptr)
        return 0;
    std::size_t n = 0;
    while (pwszText[n] != 0)
        ++n;
    return n;
}

std::size_t utf16nlen(const unsigned short* pwszText, std::size_t n)
{
    if (pwszText == nullptr)
        return 0;
    std::size_t nLen = 0;
    while (nLen < n && pwszText[nLen] != 0)
        ++nLen;
    return nLen;
}

unsigned short* utf16ncpy(unsigned short* pwszDst, const unsigned short* pwszSrc, std::size_t n)
{
    if (pwszDst == nullptr || pwszSrc == nullptr)
        return pwszDst;
    for (std::size_t i = 0; i < n && pwszSrc[i] != 0; ++i)
        pwszDst[i] = pwszSrc[i];
    return pwszDst;
}

int utf16nicmp(const unsigned short* pwszA, const unsigned short* pwszB, std::size_t n)
{
    if (pwszA == nullptr || pwszB == nullptr)
        return pwszA == pwszB ? 0 : (pwszA == nullptr ? -1 : 1);
    for (std::size_t i = 0; i < n; ++i) {
        const wint_t wA = _wLower(pwszA[i]);
        const wint_t wB = _wLower(pwszB[i]);
        if (wA != wB)
            return static_cast<int>(wA) - static_cast<int>(wB);
        if (pwszA[i] == 0)
            break;
    }
    return 0;
}

unsigned short* utf16niutf16(const unsigned short* pwszHaystack, const unsigned short* pwszNeedle, std::size_t n)
{
    if (pwszHaystack == nullptr || pwszNeedle == nullptr)
        return nullptr;
    const std::size_t nNeedle = utf16len(pwszNeedle);
    if (nNeedle == 0)
        return const_cast<unsigned short*>(pwszHaystack);
    const std::size_t nHaystack = utf16nlen(pwszHaystack, n);
    for (std::size_t nPos = 0; nPos + nNeedle <= nHaystack; ++nPos) {
        std::size_t i = 0;
        while (i < nNeedle && _wLower(pwszHaystack[nPos + i]) == _wLower(pwszNeedle[i]))
            ++i;
        if (i == nNeedle)
            return const_cast<unsigned short*>(pwszHaystack + nPos);
    }
    return nullptr;
}

int UTF16ToWideChar(const unsigned short* pwszSrc, int n, wchar_t* pwszDst, int nCapacity)
{
    if (pwszSrc == nullptr || n < -1 || nCapacity < 0)
        return 0;
    const std::size_t nCount = n == -1 ? utf16len(pwszSrc) + 1 : static_cast<std::size_t>(n);
    if (nCount > static_cast<std::size_t>(INT_MAX))
        return 0;
    if (nCapacity == 0 || pwszDst == nullptr)
        return static_cast<int>(nCount);
    const std::size_t nCopy = nCount < static_cast<std::size_t>(nCapacity) ? nCount : nCapacity;
    for (std::size_t i = 0; i < nCopy; ++i)
        pwszDst[i] = static_cast<wchar_t>(pwszSrc[i]);
    return static_cast<int>(nCopy);
}

int WideCharToUTF16(const wchar_t* pwszSrc, int n, unsigned short* pwszDst, int nCapacity)
{
    if (pwszSrc == nullptr || n < -1 || nCapacity < 0)
        return 0;
    const std::size_t nCount = n == -1 ? std::wcslen(pwszSrc) + 1 : static_cast<std::size_t>(n);
    if (nCount > static_cast<std::size_t>(INT_MAX))
        return 0;
    if (nCapacity == 0 || pwszDst == nullptr)
        return static_cast<int>(nCount);
    const std::size_t nCopy = nCount < static_cast<std::size_t>(nCapacity) ? nCount : nCapacity;
    for (std::size_t i = 0; i < nCopy; ++i)
        pwszDst[i] = static_cast<unsigned short>(static_cast<unsigned>(pwszSrc[i]) & 0xFFFF);
    return static_cast<int>(nCopy);
}

int UTF16ToMultiByte(unsigned nCodePage, unsigned dwFlags, const unsigned short* pwszSrc, int n, char* pszDst,
                     int nDstSize, const char* pszDefaultChar, int* pbUsedDefault)
{
    if (pbUsedDefault != nullptr)
        *pbUsedDefault = 0;
    if (pwszSrc == nullptr || n < -1)
        return 0;
    const std::size_t nCount = n == -1 ? utf16len(pwszSrc) + 1 : static_cast<std::size_t>(n);
    if (nCount == 0 || nCount > static_cast<std::size_t>(INT_MAX))
        return 0;
    CWideScratch clWide(nCount);
    if (clWide.pwszGet() == nullptr)
        return 0;
    UTF16ToWideChar(pwszSrc, static_cast<int>(nCount), clWide.pwszGet(), static_cast<int>(nCount));
    return WideCharToMultiByte(nCodePage, dwFlags, clWide.pwszGet(), static_cast<int>(nCount), pszDst, nDstSize,
                               pszDefaultChar, pbUsedDefault);
}

int MultiByteToUTF16(unsigned nCodePage, unsigned dwFlags, const char* pszSrc, int n, unsigned short* pwszDst,
                     int nCapacity)
{
    if (pszSrc == nullptr || n < -1 || nCapacity < 0)
        return 0;
    if (pwszDst == nullptr || nCapacity == 0)
        return MultiByteToWideChar(nCodePage, dwFlags, pszSrc, n, nullptr, 0);
    // A code page gives at most one character per byte, so the source length bounds the
    // wide array; a capacity below the need makes the conversion fail, as it should.
    const std::size_t nBytes = n == -1 ? std::strlen(pszSrc) + 1 : static_cast<std::size_t>(n);
    if (nBytes == 0 || nBytes > static_cast<std::size_t>(INT_MAX))
        return 0;
    const int nWideCap = nBytes < static_cast<std::size_t>(nCapacity) ? static_cast<int>(nBytes) : nCapacity;
    CWideScratch clWide(static_cast<std::size_t>(nWideCap));
    if (clWide.pwszGet() == nullptr)
        return 0;
    const int nWide = MultiByteToWideChar(nCodePage, dwFlags, pszSrc, static_cast<int>(nBytes), clWide.pwszGet(),
                                          nWideCap);
    if (nWide <= 0)
        return 0;
    return WideCharToUTF16(clWide.pwszGet(), nWide, pwszDst, nCapacity);
}
