// Code-page conversions through iconv: code-page names, the Windows-named converters, lengths, and the mixed ASCII conversions between UTF-8 and a code page.
#pragma once

// Code page numbers are Windows identifiers: 0 is the current ANSI code page (Windows-1252),
// 65001 is UTF-8. Wide text is UCS-4 in 4-byte wchar_t.

// iconv name of a Windows code page; unknown pages (0 and 437 included) give "CP1252".
const char* CodePageToIConv(unsigned nCodePage);

// Code page -> wide characters. nSrcLen -1 converts strlen + 1 bytes (terminator included).
// With pwszDst non-null and nDstCount non-zero, writes at most nDstCount characters and returns
// how many were written; otherwise returns how many the conversion needs. 0 on any failure
// (bytes undefined in the code page, truncated sequence, destination too small, bad arguments).
// dwFlags is accepted and ignored.
int MultiByteToWideChar(unsigned nCodePage, unsigned dwFlags, const char* pszSrc, int nSrcLen,
                        wchar_t* pwszDst, int nDstCount);

// Wide characters -> code page. nSrcCount -1 converts wcslen + 1 characters. Returns the bytes
// written, or the bytes needed when pszDst is null or nDstSize is 0; 0 on failure, including a
// character the code page cannot represent. pszDefaultChar is ignored (no replacement is ever
// made); *pbUsedDefault, when given, is set to 0.
int WideCharToMultiByte(unsigned nCodePage, unsigned dwFlags, const wchar_t* pwszSrc, int nSrcCount,
                        char* pszDst, int nDstSize, const char* pszDefaultChar, int* pbUsedDefault);

// Code page -> code page, same conventions ((unsigned)-1 = strlen + 1; measuring when pszDst is
// null or nDstSize is 0). Returns bytes written or needed, 0 on failure.
unsigned MultiByteToMultiByte(unsigned nFromCodePage, const char* pszSrc, unsigned nSrcLen,
                              unsigned nToCodePage, char* pszDst, unsigned nDstSize);

// Wide characters needed for a Windows-1252 text, terminator included (0 for null or invalid).
int nGetUNICODELen(const char* pszText);
// UTF-8 bytes needed for a wide text, terminator included (0 for null or invalid).
int nGetUTF8Len(const wchar_t* pwszText);
// New malloc'd block holding the UTF-8 form of a Windows-1252 text; null for a null text or
// on failure. The caller frees it (STR_Delete or free).
char* pszChar2UTF8(const char* pszText);

// Code page -> UTF-8. Bytes below 0x80 are copied as they are; each run of bytes of 0x80 and
// above is converted as one piece. Stops when the source is used up or dst is full; the rest of
// dst is then zero-filled (so the result is terminated only when room was left). Returns the
// bytes written, zero fill not counted; 0 when any piece fails (invalid byte, no room for the
// whole piece). nSrcLen (unsigned long)-1 means strlen + 1.
// Code page 65001: copies the text (at most nSrcLen bytes, stopping at a NUL) into dst,
// zero-fills the rest, always terminates dst and returns strlen(dst).
int MultiByteToUTF8(unsigned nCodePage, const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                    unsigned long nDstSize, unsigned dwFlags);

// UTF-8 -> code page, the same mixed walk as MultiByteToUTF8 (malformed UTF-8 or a character the
// code page lacks gives 0). Code page 65001: when nSrcLen >= nDstSize copies nDstSize - 1 bytes,
// terminates and returns nDstSize - 1; otherwise copies nSrcLen bytes, zero-fills the rest and
// returns nSrcLen. pszDefaultChar is ignored; *pbUsedDefault, when given, is set to 0.
unsigned UTF8ToMultiByte(unsigned nCodePage, const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                         unsigned long nDstSize, unsigned dwFlags, const char* pszDefaultChar,
                         int* pbUsedDefault);

// The same three with the code page of the current character set of the string library
// (dwGetCodePageFromCharset of STR_nGetCurrentChangeCharset; an unknown set means Windows-1252).
int MultiByteToUTF8_CurrentCharset(const char* pszSrc, unsigned long nSrcLen, char* pszDst, unsigned long nDstSize,
                                   unsigned dwFlags);
unsigned UTF8ToMultiByte_CurrentCharset(const char* pszSrc, unsigned long nSrcLen, char* pszDst,
                                        unsigned long nDstSize, unsigned dwFlags, const char* pszDefaultChar,
                                        int* pbUsedDefault);
int MultiByteToUTF16_CurrentCharset(unsigned dwFlags, const char* pszSrc, int n, unsigned short* pwszDst,
                                    int nCapacity);
