// Message boxes as a dialogue on the terminal: the Win32 calls MessageBox and MessageBoxW.
#pragma once

#include "base/system/Win32Api.h"

#include <cstdio>

// Button sets (the type values) and the button codes returned.
constexpr UINT MB_OK = 0;
constexpr UINT MB_OKCANCEL = 1;
constexpr UINT MB_ABORTRETRYIGNORE = 2;
constexpr UINT MB_YESNOCANCEL = 3;
constexpr UINT MB_YESNO = 4;
constexpr UINT MB_RETRYCANCEL = 5;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Writes the caption, the text and the prompt of the button set to standard error, reads one
// word from standard input and returns the button of its first letter: "a" abort, "c" cancel,
// "i" ignore, "n" no, "r" retry, "y" yes, anything else OK. A type with other bits than a
// button set gets the abort/retry/ignore prompt. At the end of input, the set's cancel-like
// button: cancel, no for Yes/No, abort for Abort/Retry/Ignore, OK for OK. The window is not used.
int MessageBox(void* hWnd, const char* pszText, const char* pszCaption, UINT nType);
// The same with a 16-bit text, written in the terminal's multibyte form (the LC_CTYPE locale);
// characters it cannot show are written as "?".
int MessageBoxW(void* hWnd, const unsigned short* pwszText, const char* pszCaption, UINT nType);

// The dialogue over stdin and stderr: pText is a byte string, or a 16-bit one when bWideText.
int _MessageBox_NO_GUI(const void* pText, const char* pszCaption, UINT nType, bool bWideText);
// The same dialogue over the given streams.
int _nMessageBoxFlux(FILE* pEntree, FILE* pSortie, const void* pText, const char* pszCaption, UINT nType,
                     bool bWideText);
