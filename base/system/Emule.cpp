// Windows-1252 character helpers and rectangle arithmetic behind the emulated Win32 calls.
#include "base/system/Emule.h"

#include "base/strings/CharTables.h"
#include "base/system/Rect.h"

#include <algorithm>

bool bEmule_IsCharAlphaNumericA(char c)
{
    const unsigned char by = static_cast<unsigned char>(c);
    return (gpbyIsChaAlphaNumeric_Latin1[by >> 3] >> (by & 7)) & 1;
}

uintptr_t nEmule_CharUpperA(uintptr_t nValue)
{
    if (nValue < 0x10000)
        return pToUpper_Latin1[nValue & 0xFF];
    unsigned char* p = reinterpret_cast<unsigned char*>(nValue);
    for (; *p; ++p)
        *p = pToUpper_Latin1[*p];
    return nValue;
}

bool bEmule_IsRectEmpty(const RECT* pstRect)
{
    return pstRect->left >= pstRect->right || pstRect->top >= pstRect->bottom;
}

bool bEmule_OffsetRect(RECT* pstRect, int dx, int dy)
{
    // One definition of the move, with its wrap-around instead of a signed overflow.
    return OffsetRect(pstRect, dx, dy) != 0;
}

bool bEmule_IntersectRect(RECT* pstDst, const RECT* pstA, const RECT* pstB)
{
    // Copies first: the destination may be one of the sources.
    const RECT a = *pstA;
    const RECT b = *pstB;
    if (!bEmule_IsRectEmpty(&a) && !bEmule_IsRectEmpty(&b) && a.left < b.right && b.left < a.right &&
        a.top < b.bottom && b.top < a.bottom) {
        pstDst->left = std::max(a.left, b.left);
        pstDst->top = std::max(a.top, b.top);
        pstDst->right = std::min(a.right, b.right);
        pstDst->bottom = std::min(a.bottom, b.bottom);
        return true;
    }
    *pstDst = RECT{0, 0, 0, 0};
    return false;
}

int nEmule_LoadStringA(void*, unsigned, char* pszBuffer, int nSize)
{
    // Nothing is loaded; an empty text is left so a caller that ignores the result reads "".
    if (pszBuffer && nSize > 0)
        pszBuffer[0] = '\0';
    return 0;
}
