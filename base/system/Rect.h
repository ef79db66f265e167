// Rectangle arithmetic with the Win32 names: SetRect, IntersectRect, UnionRect, SubtractRect...
#pragma once

#include "base/system/Win32Api.h"

// Rectangles are (left, top, right, bottom) with right and bottom exclusive; a rectangle is
// empty when it has no area (left >= right or top >= bottom). Every call accepts a destination
// that is also a source. A null rectangle makes a call return FALSE without writing anything
// (IsRectEmpty: TRUE).
BOOL SetRect(RECT* pstRect, int nLeft, int nTop, int nRight, int nBottom);
BOOL SetRectEmpty(RECT* pstRect);
BOOL CopyRect(RECT* pstDst, const RECT* pstSrc);
BOOL IsRectEmpty(const RECT* pstRect);
// left <= x < right and top <= y < bottom.
BOOL PtInRect(const RECT* pstRect, POINT stPoint);
BOOL EqualRect(const RECT* pstA, const RECT* pstB);
// Grows each side outwards by dx or dy (negative values shrink).
BOOL InflateRect(RECT* pstRect, int dx, int dy);
BOOL OffsetRect(RECT* pstRect, int dx, int dy);
// The overlap and TRUE; all zero and FALSE when the two do not overlap, only touch, or one of
// them is empty.
BOOL IntersectRect(RECT* pstDst, const RECT* pstA, const RECT* pstB);
// The smallest rectangle holding both; an empty one is ignored. Both empty: all zero, FALSE.
BOOL UnionRect(RECT* pstDst, const RECT* pstA, const RECT* pstB);
// a less b, when what is left is a rectangle: b cuts a only when it spans a's full height (cut
// at a's left or right edge) or full width (top or bottom edge); otherwise a is kept whole.
// FALSE with all zero when a is empty or b covers it.
BOOL SubtractRect(RECT* pstDst, const RECT* pstA, const RECT* pstB);
