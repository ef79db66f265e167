// Windows-1252 character helpers and rectangle arithmetic behind the emulated Win32 calls.
#pragma once

#include "base/system/Win32Api.h"

#include <cstdint>

// True for the letters and digits of Windows-1252.
bool bEmule_IsCharAlphaNumericA(char c);
// A value below 0x10000 is one character (low byte): returns its upper-case form. Any other
// value is the address of a NUL-terminated text, upper-cased in place and returned.
uintptr_t nEmule_CharUpperA(uintptr_t nValue);
// True when the rectangle has no area (left >= right or top >= bottom).
bool bEmule_IsRectEmpty(const RECT* pstRect);
// Moves the rectangle by (dx, dy) as OffsetRect does (coordinates wrap around at 32 bits); true.
bool bEmule_OffsetRect(RECT* pstRect, int dx, int dy);
// The overlap of two rectangles in *pstDst and true; all zero and false when they do not
// overlap (rectangles that only touch do not).
bool bEmule_IntersectRect(RECT* pstDst, const RECT* pstA, const RECT* pstB);
// Resource strings are not loaded through this path: always 0.
int nEmule_LoadStringA(void* hInstance, unsigned nId, char* pszBuffer, int nSize);
