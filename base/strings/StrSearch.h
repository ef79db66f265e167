// Searching in texts: substrings with or without case, backward, sets, counts, bounded lengths.
#pragma once

// Each search returns a pointer into the searched text, or null when absent or when the text
// or needle is null. The char* forms search a modifiable text and return into it.

// First occurrence ignoring case (strncasecmp); an empty needle gives the text.
const char* STR_StrIStr(const char* pszText, const char* pszNeedle);
char* STR_StrIStr(char* pszText, const char* pszNeedle);
// The same, the occurrence lying within the first n characters of the text.
const char* STR_strnistrA(const char* pszText, const char* pszNeedle, unsigned long n);
char* STR_strnistrA(char* pszText, const char* pszNeedle, unsigned long n);
// First occurrence comparing both sides through the Windows-1252 upper-case table; an empty
// needle gives the text.
const char* STR_pszUpStrstr(const char* pszText, const char* pszNeedle);
char* STR_pszUpStrstr(char* pszText, const char* pszNeedle);
// First exact occurrence lying within the first n characters; an empty needle gives the text.
const char* STR_strnstrA(const char* pszText, const char* pszNeedle, unsigned long n);
char* STR_strnstrA(char* pszText, const char* pszNeedle, unsigned long n);
// Last occurrence starting at a position from nStart down to 1 (position 0 is not tested);
// nStart beyond the last possible position starts from that position.
const char* STRRSTR(const char* pszText, long nStart, const char* pszNeedle);
char* STRRSTR(char* pszText, long nStart, const char* pszNeedle);
const char* STRRSTRA(const char* pszText, long nStart, const char* pszNeedle);
char* STRRSTRA(char* pszText, long nStart, const char* pszNeedle);
// Last byte of the text that belongs to the set.
const char* STRRPBRK(const char* pszText, const char* pszSet);
char* STRRPBRK(char* pszText, const char* pszSet);
// Number of bytes c in the text (0 for null or for c NUL).
int STR_nNbOccurrence(const char* pszText, char c);
// Length bounded by nMax (negative: unbounded); 0 for null.
long STR_nLen(const char* pszText, long nMax);
long STR_nLenW(const wchar_t* pwszText, long nMax);
