// Inspection of UTF-8 text: stepping over characters, decoding the first one, validating.
#include "base/strings/Utf8.h"

namespace {

bool _bIsContinuation(unsigned char by)
{
    return (by & 0xC0) == 0x80;
}

// Longest step a lead byte allows; pbyText[1] is read only for a stray continuation byte, and
// only after pbyText[0] (non-NUL) was seen, so it lies within the text.
int _nMaxStep(const unsigned char* pbyText)
{
    const unsigned char byLead = pbyText[0];
    if (byLead < 0x80)
        return 1;
    if (byLead < 0xC0)
        return _bIsContinuation(pbyText[1]) ? 6 : 1;
    if (byLead < 0xE0)
        return 2;
    if (byLead < 0xF0)
        return 3;
    if (byLead < 0xF8)
        return 4;
    if (byLead < 0xFC)
        return 5;
    return 6;
}

} // namespace

const char* UTF8next(const char* pszText)
{
    if (pszText == nullptr)
        return nullptr;
    const unsigned char* pbyText = reinterpret_cast<const unsigned char*>(pszText);
    const int nMax = _nMaxStep(pbyText);
    int n = 1;
    while (n < nMax && _bIsContinuation(pbyText[n]))
        ++n;
    return pszText + n;
}

char* UTF8next(char* pszText)
{
    return const_cast<char*>(UTF8next(static_cast<const char*>(pszText)));
}

int UTF8Len(const char* pszText)
{
    return pszText == nullptr ? 0 : static_cast<int>(UTF8next(pszText) - pszText);
}

int UTF8FirstChar(const char* pszText, int& n)
{
    const int nAvail = n;
    n = 0;
    if (pszText == nullptr || nAvail <= 0)
        return -1;
    const unsigned char* pby = reinterpret_cast<const unsigned char*>(pszText);
    const unsigned char byLead = pby[0];
    if (byLead < 0x80) {
        n = 1;
        return byLead;
    }
    // Each byte is looked at only once the one before it proved to be part of the sequence.
    if (nAvail < 2 || !_bIsContinuation(pby[1]))
        return -1;
    if ((byLead & 0xE0) != 0xE0) {
        n = 2;
        return (byLead & 0x1F) << 6 | (pby[1] & 0x3F);
    }
    if (nAvail < 3 || !_bIsContinuation(pby[2]))
        return -1;
    if ((byLead & 0xF0) != 0xF0) {
        n = 3;
        return (byLead & 0x0F) << 12 | (pby[1] & 0x3F) << 6 | (pby[2] & 0x3F);
    }
    if ((byLead & 0xF8) != 0xF0 || nAvail < 4 || !_bIsContinuation(pby[3]))
        return -1;
    n = 4;
    return (byLead & 0x07) << 18 | (pby[1] & 0x3F) << 12 | (pby[2] & 0x3F) << 6 | (pby[3] & 0x3F);
}

int UTF8Valide(const char* pszText, long n)
{
    if (pszText == nullptr)
        return n == 0;
    if (n <= 0 && n != -1)
        return 1;
    const bool bBounded = n != -1;
    const unsigned char* pby = reinterpret_cast<const unsigned char*>(pszText);
    long nPos = 0;
    while ((!bBounded || nPos < n) && pby[nPos] != 0) {
        const unsigned char byLead = pby[nPos];
        int nLen;
        if (byLead < 0x80)
            nLen = 1;
        else if ((byLead & 0xE0) == 0xC0)
            nLen = 2;
        else if ((byLead & 0xF0) == 0xE0)
            nLen = 3;
        else if ((byLead & 0xF8) == 0xF0)
            nLen = 4;
        else
            return 0;
        if (bBounded && n - nPos < nLen)
            return 0;
        // A NUL is no continuation byte, so the checks stop at the terminator.
        for (int i = 1; i < nLen; ++i)
            if (!_bIsContinuation(pby[nPos + i]))
                return 0;
        nPos += nLen;
    }
    return 1;
}
