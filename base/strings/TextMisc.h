// Small text helpers of the Windows C library: in-place case change, wide fills, module version comparison, and the operating-system probes.
#pragma once

// In-place case change through the C library's toupper/tolower (current locale). Return the text.
char* my_strupr(char* pszText);
char* my_strlwr(char* pszText);

// Overwrite every character up to the terminator (wcsnset: at most n) with wc. Return the text.
wchar_t* wcsset(wchar_t* pwszText, wchar_t wc);
wchar_t* wcsnset(wchar_t* pwszText, wchar_t wc, unsigned n);

// Compares versions of the form number.rest: the numbers before the first point (atoi) decide
// (1 or -1); equal numbers give the sign of strcmp of the parts after the point. A version
// without a point has an empty rest; a null version counts as empty.
int nCompareVersionModule(const char* pszVersionA, const char* pszVersionB);

// Operating-system probes of the shared code base: this is not Windows, all return false.
bool bWindowsSeven();
bool bWindowsNT();
bool bWindowsVista();
bool bWindowsXP();
bool bWindows2000();
bool bWindowsSmartphone();
bool bWindowsCE2002();
