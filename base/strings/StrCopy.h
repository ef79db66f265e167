// Heap copies of texts (released with STR_Delete/STR_DeleteA/STR_DeleteW) and bounded copies.
#pragma once

#include <cstddef>

// Heap blocks come from malloc. Every creator returns null when the allocation fails or the
// requested size cannot be represented. Null source texts count as empty unless said otherwise.

// Uninitialised block of n + 1 characters.
char* STR_pszCreate(unsigned n);
char* STR_pszCreateA(unsigned long n);
wchar_t* STR_pszCreateW(unsigned long n);
// Copies; a null source gives null.
char* STR_pszCreate(const char* psz);
char* STR_pszCreateA(const char* psz);
wchar_t* STR_pszCreateW(const wchar_t* pwsz);
// Block of nSize + 1 characters holding the first nSize characters of the source (fewer when
// it is shorter), terminated.
char* STR_pszCreate(unsigned nSize, const char* psz);
wchar_t* STR_pszCreateW(unsigned nSize, const wchar_t* pwsz);
// Concatenations: a + b, a + b + c, a + "." + b.
char* STR_pszCreate(const char* pszA, const char* pszB);
wchar_t* STR_pszCreateW(const wchar_t* pwszA, const wchar_t* pwszB);
char* STR_pszConcat(const char* pszA, const char* pszB, const char* pszC);
char* STR_pszConcatPoint(const char* pszA, const char* pszB);

// Replaces *ppsz by a copy of psz (null: by null) and frees the old block. psz may point into
// *ppsz. False, with *ppsz unchanged, when the copy cannot be allocated.
bool STR_bRedefine(char** ppsz, const char* psz);
// Resizes the malloc block *pp to nSize bytes (at least 1). False, with *pp unchanged and
// still valid, when the allocation fails.
bool STR_bResize(void** pp, std::size_t nSize);

// New wide text with every occurrence of pwszSearch replaced by pwszRepl (null: removed).
// Null when the text or the search text is empty or null, when the search text does not
// occur, or when the allocation fails.
wchar_t* STR_RemplaceW(const wchar_t* pwszText, const wchar_t* pwszSearch, const wchar_t* pwszRepl);

// Release blocks of the creators above; null is accepted.
void STR_Delete(void* p);
void STR_DeleteA(char* psz);
void STR_DeleteW(wchar_t* pwsz);

// Bounded copies. nSize is the destination's size in characters, terminator included; the
// destination is always terminated within nSize (nothing is written when nSize is 0) and
// nothing is written past it. Source and destination may overlap. Results are the number of
// characters copied (appended, for the Cat forms).

// Copies at most n characters of src (n negative: all of it), cut to nSize - 1.
unsigned long STR_nCopy(char* pszDst, unsigned long nSize, const char* pszSrc, long n);
// Appends at most n characters of src (n negative: all of it) within nSize. A destination
// without a terminator inside nSize is left untouched and 0 returned.
unsigned long STR_nCat(char* pszDst, unsigned long nSize, const char* pszSrc, long n);
// Copies / appends the whole of src, cut to fit.
unsigned long STR_nCut(char* pszDst, unsigned long nSize, const char* pszSrc);
unsigned long STR_nCatCut(char* pszDst, unsigned long nSize, const char* pszSrc);
unsigned long STR_nCopyW(wchar_t* pwszDst, unsigned long nSize, const wchar_t* pwszSrc, long n);
unsigned long STR_nCatW(wchar_t* pwszDst, unsigned long nSize, const wchar_t* pwszSrc, long n);
