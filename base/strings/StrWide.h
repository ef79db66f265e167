// Conversions between single-byte text of a code page, wide text and UTF-8, as heap copies.
#pragma once

// Heap results are released with STR_DeleteW / STR_Delete (StrCopy.h). On failure (null source
// or out-pointer, text the code pages cannot carry, allocation failure) the bool forms return
// false, set *ppOut to null and *pnCount (when given) to 0, and keep nothing allocated.
// Lengths are in source units; negative means up to the terminator, and the terminator ends
// the source in any case. Counts exclude the terminator every result carries.

// One character of a code page as a wide character; 0 when it cannot be converted alone.
wchar_t STR_CharToWChar(char c, unsigned dwFlags, unsigned nCodePage);
// Wide heap copy of a Windows-1252 text.
bool STR_CharToWChar(wchar_t** ppwszOut, const char* pszSrc);
// Wide heap copy of nLen bytes of a text in nCodePage. dwFlags gets the precomposed flag (1)
// added unless the code page is UTF-8 (65001).
bool STR_CharToWChar_AnyCodepage(const char* pszSrc, int nLen, unsigned nCodePage,
                                 wchar_t** ppwszOut, int* pnCount, unsigned dwFlags);
// Heap copy in nCodePage of nLen wide characters.
bool STR_WCharToChar_AnyCodepage(const wchar_t* pwszSrc, int nLen, unsigned nCodePage,
                                 char** ppszOut, int* pnCount, unsigned dwFlags = 0);
// Heap copy in nToCodePage of nLen bytes of a text in nFromCodePage; a plain copy when the code
// pages are equal.
bool STR_CharToChar_AnyCodepage(const char* pszSrc, int nLen, unsigned nFromCodePage,
                                char** ppszOut, int* pnCount, unsigned nToCodePage);
// The same with the code page of the current character set.
bool STR_CharToWChar_CurrentCharset(const char* pszSrc, int nLen, wchar_t** ppwszOut,
                                    int* pnCount, unsigned dwFlags);
bool STR_WCharToChar_CurrentCharset(const wchar_t* pwszSrc, int nLen, char** ppszOut,
                                    int* pnCount, unsigned dwFlags = 0);

// ANSI (code page 0) heap copy of a UTF-8 text, through wide text; null for null or on failure.
char* STR_pszCreateFromXUTF8(const char* pszUtf8);
// UTF-8 heap copy of an ANSI (code page 0) text; null for null or on failure.
char* STR_pszCreateToXUTF8(const char* pszAnsi);
