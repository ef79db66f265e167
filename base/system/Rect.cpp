// Rectangle arithmetic with the Win32 names: SetRect, IntersectRect, UnionRect, SubtractRect...
#include "base/system/Rect.h"

#include "base/system/Emule.h"

#include <algorithm>

namespace {

constexpr RECT kZero = {0, 0, 0, 0};

// Coordinates move with the wrap-around of 32-bit two's complement, never undefined behaviour.
int32_t nAddWrap(int32_t a, int b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t nSubWrap(int32_t a, int b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

} // namespace

BOOL SetRect(RECT* pstRect, int nLeft, int nTop, int nRight, int nBottom)
{
    if (!pstRect)
        return false;
    *pstRect = RECT{nLeft, nTop, nRight, nBottom};
    return true;
}

BOOL SetRectEmpty(RECT* pstRect)
{
    if (!pstRect)
        return false;
    *pstRect = kZero;
    return true;
}

BOOL CopyRect(RECT* pstDst, const RECT* pstSrc)
{
    if (!pstDst || !pstSrc)
        return false;
    *pstDst = *pstSrc;
    return true;
}

BOOL IsRectEmpty(const RECT* pstRect)
{
    // Compared rather than subtracted: right - left overflows for far-apart coordinates.
    return !pstRect || bEmule_IsRectEmpty(pstRect);
}

BOOL PtInRect(const RECT* pstRect, POINT stPoint)
{
    return pstRect && pstRect->left <= stPoint.x && stPoint.x < pstRect->right && pstRect->top <= stPoint.y &&
           stPoint.y < pstRect->bottom;
}

BOOL EqualRect(const RECT* pstA, const RECT* pstB)
{
    return pstA && pstB && pstA->left == pstB->left && pstA->top == pstB->top && pstA->right == pstB->right &&
           pstA->bottom == pstB->bottom;
}

BOOL InflateRect(RECT* pstRect, int dx, int dy)
{
    if (!pstRect)
        return false;
    pstRect->left = nSubWrap(pstRect->left, dx);
    pstRect->top = nSubWrap(pstRect->top, dy);
    pstRect->right = nAddWrap(pstRect->right, dx);
    pstRect->bottom = nAddWrap(pstRect->bottom, dy);
    return true;
}

BOOL OffsetRect(RECT* pstRect, int dx, int dy)
{
    if (!pstRect)
        return false;
    pstRect->left = nAddWrap(pstRect->left, dx);
    pstRect->right = nAddWrap(pstRect->right, dx);
    pstRect->top = nAddWrap(pstRect->top, dy);
    pstRect->bottom = nAddWrap(pstRect->bottom, dy);
    return true;
}

BOOL IntersectRect(RECT* pstDst, const RECT* pstA, const RECT* pstB)
{
    if (!pstDst || !pstA || !pstB)
        return false;
    return bEmule_IntersectRect(pstDst, pstA, pstB);
}

BOOL UnionRect(RECT* pstDst, const RECT* pstA, const RECT* pstB)
{
    if (!pstDst || !pstA || !pstB)
        return false;
    const RECT a = *pstA;
    const RECT b = *pstB;
    const bool bEmptyA = bEmule_IsRectEmpty(&a);
    const bool bEmptyB = bEmule_IsRectEmpty(&b);
    if (bEmptyA && bEmptyB) {
        *pstDst = kZero;
        return false;
    }
    if (bEmptyA || bEmptyB) {
        *pstDst = bEmptyA ? b : a;
        return true;
    }
    *pstDst = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
    return true;
}

BOOL SubtractRect(RECT* pstDst, const RECT* pstA, const RECT* pstB)
{
    if (!pstDst || !pstA || !pstB)
        return false;
    const RECT a = *pstA;
    const RECT b = *pstB;
    if (bEmule_IsRectEmpty(&a)) {
        *pstDst = kZero;
        return false;
    }
    RECT stInter;
    RECT stOut = a;
    if (bEmule_IntersectRect(&stInter, &a, &b)) {
        if (EqualRect(&stInter, &a)) {
            *pstDst = kZero;
            return false;
        }
        if (stInter.top == a.top && stInter.bottom == a.bottom) {
            if (stInter.left == a.left)
                stOut.left = stInter.right;
            else if (stInter.right == a.right)
                stOut.right = stInter.left;
        } else if (stInter.left == a.left && stInter.right == a.right) {
            if (stInter.top == a.top)
                stOut.top = stInter.bottom;
            else if (stInter.bottom == a.bottom)
                stOut.bottom = stInter.top;
        }
    }
    *pstDst = stOut;
    return true;
}
