// Formatting into a buffer of known room: sznprintf and its va_list and wide forms.
#pragma once

#include <cstdarg>

// Formats into pszBuf, which holds n characters and a terminator (n + 1 bytes): the output is
// cut to n characters and pszBuf[n] is set to NUL. Returns the length of the output, or -1 when
// it was cut (it had more than n characters) or could not be formatted.
int sznprintf(char* pszBuf, unsigned n, const char* pszFormat, ...) __attribute__((format(printf, 3, 4)));
int vsznprintf(char* pszBuf, unsigned n, const char* pszFormat, va_list args) __attribute__((format(printf, 3, 0)));

// Wide formatting is not provided: pwszBuf[0] and pwszBuf[n] are set to 0 and the result is -1.
int sznwprintf(wchar_t* pwszBuf, unsigned n, const wchar_t* pwszFormat, ...);
int vsznwprintf(wchar_t* pwszBuf, unsigned n, const wchar_t* pwszFormat, va_list args);
