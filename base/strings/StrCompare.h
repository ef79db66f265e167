// Comparisons of texts and characters: with options, natural (numbers by value), the language's.
#pragma once

#include <cstddef>

// Comparison flags of STR_CompareStringEx (with STR_FLAG_CURRENT_CHARSET, CharTables.h).
enum : unsigned {
    STR_CMP_IGNORECASE = 0x1,
    STR_CMP_IGNOREACCENT = 0x2,
    STR_CMP_IGNOREPUNCT = 0x4,  // characters of class 8: punctuation, controls, spaces
};
// Flag of the natural comparisons: characters other than digits compare by sort key.
constexpr unsigned STR_FLAG_SORT_KEY = 0x20000000u;

// Options of STR_ChaineCompare / STR_PrepareChaine.
enum : int {
    STR_OPT_TRIM = 1,         // leading and trailing white space removed
    STR_OPT_NOPUNCT = 2,      // punctuation and spaces ignored
    STR_OPT_NOACCENT = 4,     // accents ignored
    STR_OPT_SORTKEY = 8,      // characters compared by sort key
    STR_OPT_NOCASE_16 = 16,   // case ignored (three historical values)
    STR_OPT_NOCASE_32 = 32,
    STR_OPT_LOWER = 64,       // case ignored, texts mapped to lower case
    STR_OPT_NATURAL = 128,    // runs of digits compare by value
};

// Null texts compare as empty texts unless said otherwise; negative lengths mean "up to the
// terminator", and the terminator ends a text even within a given length.

// 1 when a orders before b, 2 when equal, 3 when after. Each character is mapped by the flags
// (accents removed, then upper case) and the mapped bytes compare as signed 8-bit values.
// Flags above 7 (STR_FLAG_CURRENT_CHARSET aside) compare only emptiness.
int STR_CompareStringEx(unsigned nFlags, const char* pszA, long nLenA, const char* pszB,
                        long nLenB);
// STR_CompareStringEx of the whole texts with bits 16 and 28 of the flags cleared, minus 2.
int STR_nCompare(const char* pszA, const char* pszB, unsigned nFlags = 0);
// The same ignoring case, resp. accents, besides the flags given.
int STR_nUpCompare(const char* pszA, const char* pszB, unsigned nFlags = 0);
int STR_nAcCompare(const char* pszA, const char* pszB, unsigned nFlags = 0);
// Over at most n characters of each (n negative: whole texts); bit 28 is taken out.
int STR_nNCompare(const char* pszA, const char* pszB, long n, unsigned nFlags = 0);
// Null orders before every non-null text; two nulls are equal.
int STR_nNullCompare(const char* pszA, const char* pszB, unsigned nFlags = 0);
int STR_nNullNCompare(const char* pszA, const char* pszB, long n, unsigned nFlags = 0);
// Null and the empty text are equal.
int STR_nEmptyNullCompare(const char* pszA, const char* pszB, unsigned nFlags = 0);
// True when text begins with prefix, ignoring case and accents.
bool STR_bDebut(const char* pszPrefix, const char* pszText);

// Difference of the sort keys (STR_FLAG_CURRENT_CHARSET: current tables).
int STR_nCompareCharLexico(char cA, char cB, unsigned nFlags);
// Difference of the upper-case accent-free forms, as unsigned bytes.
int STR_nCompareCharSouple(char cA, char cB);
// Compares the upper-case accent-free forms byte by byte (unsigned); -1, 0 or 1. A text that
// ends first is smaller.
int STR_nCmpLogiqueAnsiFast(const char* pszA, const char* pszB);
// Natural comparison: runs of digits compare by value, the run with more leading zeros first
// when values tie; other characters by byte value, or by sort key with STR_FLAG_SORT_KEY.
// -1, 0 or 1. Lengths of (unsigned long)-1 mean up to the terminator.
int STR_nCompareRespecteNumerique(const char* pszA, unsigned long nLenA, const char* pszB,
                                  unsigned long nLenB, unsigned nFlags);

// Mapping flags of the language's comparison options.
unsigned OptionKL2FlagSTR(int nOptions);
// Prepares a text for the language's comparison into dst (room for nLen + 1 characters, or
// strlen + 1 when nLen is negative): trimmed with STR_OPT_TRIM, then each character mapped in
// the current character set (upper case unless STR_OPT_LOWER), dropped characters removed.
// Returns the prepared length; dst is terminated. 0 when dst or src is null.
int STR_PrepareChaine(char* pszDst, const char* pszSrc, int nLen, int nOptions);
// The language's comparison of two texts prepared with the options; -1, 0 or 1.
int STR_ChaineCompare(const char* pszA, int nLenA, const char* pszB, int nLenB, int nOptions);

// Wide forms. Characters compare by code point (-1, 0 or 1; sort keys are not used); the
// preparation maps the characters Windows-1252 can represent through its tables and leaves
// the others unchanged (never dropped).
int STR_nCompareCharLexicoW(wchar_t cA, wchar_t cB, unsigned nFlags);
int STR_nCompareCharSoupleW(wchar_t cA, wchar_t cB);
// Code point by code point; the shorter text first when one is a prefix of the other.
int STR_nCompareStringLexicoW(const wchar_t* pwszA, long nLenA, const wchar_t* pwszB, long nLenB,
                              unsigned nFlags);
int STR_nCompareRespecteNumeriqueW(const wchar_t* pwszA, unsigned long nLenA,
                                   const wchar_t* pwszB, unsigned long nLenB, unsigned nFlags);
int STR_PrepareChaineW(wchar_t* pwszDst, const wchar_t* pwszSrc, int nLen, int nOptions);
int STR_ChaineCompareW(const wchar_t* pwszA, int nLenA, const wchar_t* pwszB, int nLenB,
                       int nOptions);
