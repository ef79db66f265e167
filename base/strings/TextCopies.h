// Heap copies between narrow and wide text (pszXSTR2WSTR family) and wtof.
#pragma once

// Blocks come from the string library's allocation (StrCopy.h): release them with STR_Delete /
// STR_DeleteW (or free). Every copy is terminated; null is returned for a null source, for
// n below -1, when the text cannot be converted, or when the allocation fails. A count larger
// than the text stops at its terminator.

// Wide copy of a Windows-1252 text: n -1 the whole text, otherwise its first n characters.
wchar_t* pszXSTR2WSTR(const char* pszText, long n);
// Copy in code page nCodePage of the first n wide characters (n -1: the whole text).
char* pszWSTR2XSTR(const wchar_t* pwszText, long n, int nCodePage);
// Plain copies: the whole text, or (pszXSTR2CSTR with n >= 0) its first n characters.
char* pszCSTR2XSTR(const char* pszText);
char* pszXSTR2CSTR(const char* pszText, long n);

// Value of a wide text read by atof after conversion to Windows-1252 (at most 99 characters).
// Characters Windows-1252 lacks end the text read. 0.0 for null.
double wtof(const wchar_t* pwszText);
