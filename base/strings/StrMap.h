// Mapping of texts through the character tables: case, accents, dropping punctuation, sort keys.
#pragma once

// Mapping flags; combinations 0-7, optionally with STR_FLAG_CURRENT_CHARSET (CharTables.h).
enum : unsigned {
    STR_MAP_CASE = 0x1,      // upper or lower case, chosen by a separate argument
    STR_MAP_NOACCENT = 0x2,  // accents removed
    STR_MAP_NOPUNCT = 0x4,   // characters of class 8 (punctuation, controls, spaces) dropped
};

// Modes of STR_nTransforme that drop white space before mapping.
enum : unsigned {
    STR_TRANSFORME_NOSPACE = 2048,
    STR_TRANSFORME_NOSPACE_UPPER = 2049,
    STR_TRANSFORME_NOSPACE_NOACCENT = 2050,
    STR_TRANSFORME_NOSPACE_NOACCENT_UPPER = 2051,
};

// Maps src (nSrcLen negative: up to the terminator; the terminator ends it in any case) into
// dst. The case table is upper when bUpper is non-zero, lower otherwise. dst is always
// terminated within nDstSize (nothing is written when nDstSize is 0 or dst is null); the output
// is cut at nDstSize - 1 characters, dropped characters not counting. Returns the output
// length. Flags above 7 (once STR_FLAG_CURRENT_CHARSET is taken out) give an empty result.
// dst may be src itself.
unsigned STR_nMapStringEx(unsigned nFlags, char* pszDst, unsigned nDstSize, const char* pszSrc,
                          long nSrcLen, int bUpper);
// Maps one character into *pcOut. Returns 0, writing nothing, when it is dropped (STR_MAP_NOPUNCT
// and class 8), when the flags are above 7 or pcOut is null; else 1.
int STR_nMapCharEx(unsigned nFlags, char* pcOut, char c, int bUpper);
// Upper case of the accent-free form of c into *pcOut; returns 1 (0 when pcOut is null).
int STR_nMapCharIgnoreCaseAccent(char* pcOut, char c);
// Buffer size STR_nMapStringEx needs for the whole of src: output length + 1 (1 for null src).
unsigned STR_nGetMapStringLenEx(unsigned nFlags, const char* pszSrc, long nSrcLen);
// Heap copy (STR_Delete) of src mapped with bUpper 1 into *ppszOut; returns its length.
// 0 with *ppszOut null when the allocation fails; a null src gives an empty text.
unsigned STR_nCreateMapString(unsigned nFlags, char** ppszOut, const char* pszSrc);
// Heap copy of src in upper case without accents (flags 3); null for a null src or when the
// allocation fails.
char* STR_pszCreateStandard(const char* pszSrc);
// The STR_TRANSFORME_ modes drop white space (class bit 16) then apply their mapping; any other
// mode is STR_nMapStringEx(nMode, ..., bUpper 1). Same bounds and result as STR_nMapStringEx.
unsigned long STR_nTransforme(unsigned nMode, char* pszDst, unsigned long nDstSize,
                              const char* pszSrc, long nSrcLen);
// Replaces each byte by its sort key (low byte of the order table; the current character set's
// when bCurrent) and zero-fills the rest of dst, which is thus always terminated.
void STR_MapStringSortEx(char* pszDst, unsigned long nDstSize, const char* pszSrc, long nSrcLen,
                         int bCurrent);
// In-place case change through the Windows-1252 tables; return their argument (null accepted).
char* STR_ToUpper(char* psz);
char* STR_ToLower(char* psz);
