// Numbers to text in any radix from 2 to 36 (itoa family, narrow and wide), and reading hexadecimal digits.
#pragma once

// Digits are 0-9 then lower-case a-z. Signed forms write "-" and then the digits of the
// magnitude, in every radix. The destination must hold the result: at most 65 characters plus
// the terminator (64-bit value in radix 2 with a sign). A radix outside 2..36 writes an empty
// text. Each returns the destination (null when it is null).
char* itoa(int nValue, char* pszDst, int nRadix);
char* ltoa(long nValue, char* pszDst, int nRadix);
char* ultoa(unsigned long nValue, char* pszDst, int nRadix);
char* i64toa(long long nValue, char* pszDst, int nRadix);
char* ui64toa(unsigned long long nValue, char* pszDst, int nRadix);

wchar_t* itow(int nValue, wchar_t* pwszDst, int nRadix);
wchar_t* ltow(long nValue, wchar_t* pwszDst, int nRadix);
wchar_t* ultow(unsigned long nValue, wchar_t* pwszDst, int nRadix);
wchar_t* i64tow(long long nValue, wchar_t* pwszDst, int nRadix);
wchar_t* ui64tow(unsigned long long nValue, wchar_t* pwszDst, int nRadix);

// Reads hexadecimal digits (either case) from pszText up to the first other byte. The value
// wraps modulo 2^64 (value * 16 + digit); nDigits gets the number of digits read. A null text
// reads nothing.
long long nGetEntierHexa(const char* pszText, int& nDigits);
