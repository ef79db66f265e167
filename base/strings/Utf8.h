// Inspection of UTF-8 text: stepping over characters, decoding the first one, validating.
#pragma once

// Next character of a UTF-8 text. The lead byte gives the longest step (0x00-0x7F one byte,
// 0xC0-0xDF two, 0xE0-0xEF three, 0xF0-0xF7 four, 0xF8-0xFB five, 0xFC-0xFF six; a stray
// continuation byte counts as a six-byte lead when a continuation byte follows it, otherwise as
// one byte). Within the step, the first byte that is not a continuation byte (a NUL included)
// ends the character early and the result points at it. Null for a null text.
char* UTF8next(char* pszText);
const char* UTF8next(const char* pszText);

// Byte length of the first character: the distance from the text to UTF8next. 0 for null.
int UTF8Len(const char* pszText);

// Decodes the first character from at most n bytes. Sets n to the bytes used and returns the
// code point; on error (null text, n <= 0, truncated or malformed sequence) sets n to 0 and
// returns -1. Overlong forms and surrogate values are not rejected.
int UTF8FirstChar(const char* pszText, int& n);

// True when the first n bytes (n -1: up to the terminator; a NUL ends the walk in any case) are
// well-formed UTF-8; overlong forms are accepted. A null text is valid only when n is 0; n <= 0
// other than -1 is valid.
int UTF8Valide(const char* pszText, long n);
