// Small helpers of the Win32 and C run-time emulation: MulDiv, makepath, _strset, _strnset and
// the Windows-1252 letter-or-digit test.
#pragma once

#include "base/system/Win32Api.h"

// 256 bits, one per byte value c (bit c AND 7 of byte c / 8): set for the letters and digits of
// Windows-1252 (135 values).
extern const unsigned char* const pbyIsCharAlphaNumeric;

// a × b / c, the product taken in 64 bits and the quotient rounded half away from zero.
// -1 when c is 0 or the result does not fit in 32 bits (a genuine -1 looks the same).
int MulDiv(int a, int b, int c);
// path = directory, "/" unless it ends with one, name, then "." (unless ext begins with it)
// and ext when both a name and a non-empty extension are given. drive is not used. path is a
// 261-byte buffer: the result is cut to 260 characters. No directory and no name: "".
void makepath(char* pszPath, const char* pszDrive, const char* pszDir, const char* pszName, const char* pszExt);
// Every character of s becomes c; returns s (null stays null).
char* _strset(char* psz, int c);
// The first n characters (fewer when the text is shorter) become c. Returns the position just
// after the last character set; s itself for null, an empty text or n = 0.
char* _strnset(char* psz, int c, size_t n);
// The bit of c in pbyIsCharAlphaNumeric.
BOOL LinuxIsCharAlphaNumericA(char c);
