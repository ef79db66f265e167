// UTF-16 text held in arrays of unsigned 16-bit units: lengths, copies, caseless comparison and search, and conversions to and from wide text and code pages.
#pragma once

#include <cstddef>

// Every unit stands for one character: surrogate pairs are neither formed nor split, so a wide
// character becomes the unit of its low 16 bits and a unit becomes the wide character of its value.

// Length in units (0 for null); the second stops at n.
std::size_t utf16len(const unsigned short* pwszText);
std::size_t utf16nlen(const unsigned short* pwszText, std::size_t n);

// Copies units until a NUL or n units; the terminator is not copied. Returns pwszDst.
unsigned short* utf16ncpy(unsigned short* pwszDst, const unsigned short* pwszSrc, std::size_t n);

// Compares at most n units through towlower: the difference of the first differing lowered
// units, 0 when equal or both end within n. A null text sorts before any other.
int utf16nicmp(const unsigned short* pwszA, const unsigned short* pwszB, std::size_t n);

// First position where pwszNeedle matches ignoring case, the whole match lying within the first
// n units of pwszHaystack; an empty needle gives the haystack; null when absent.
unsigned short* utf16niutf16(const unsigned short* pwszHaystack, const unsigned short* pwszNeedle, std::size_t n);

// Unit-by-unit copies between UTF-16 and wide text. n -1 means length + 1 (terminator
// included). nCapacity 0 (or a null destination) returns the count needed; otherwise copies
// min(n, nCapacity) units and returns how many. 0 for a null source or n below -1.
int UTF16ToWideChar(const unsigned short* pwszSrc, int n, wchar_t* pwszDst, int nCapacity);
int WideCharToUTF16(const wchar_t* pwszSrc, int n, unsigned short* pwszDst, int nCapacity);

// UTF-16 -> code page and code page -> UTF-16 through a temporary wide array and the
// converters of CodePage.h, with their conventions (n -1 = length + 1; measuring when the
// destination is null or its size 0; 0 on failure, including a destination too small).
int UTF16ToMultiByte(unsigned nCodePage, unsigned dwFlags, const unsigned short* pwszSrc, int n, char* pszDst,
                     int nDstSize, const char* pszDefaultChar, int* pbUsedDefault);
int MultiByteToUTF16(unsigned nCodePage, unsigned dwFlags, const char* pszSrc, int n, unsigned short* pwszDst,
                     int nCapacity);
