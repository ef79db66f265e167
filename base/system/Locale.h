// Character sets, code pages and language identifiers, and switching the C library locale.
#pragma once

#include <cstddef>

// Windows code page of a Windows character-set number; 0 for an unknown set.
unsigned dwGetCodePageFromCharset(int nCharset);
// Primary language identifier of a character set; 0 for an unknown set.
unsigned short wGetLanguageID(int nCharset);
// Character set of a language identifier (primary language in bits 0-9, sublanguage above).
int nGetCharsetFromLanguage(unsigned nLanguage);
// nGetCharsetFromLanguage cut to a byte: UTF-8 (65001) becomes 233.
unsigned char GetCharSetFromLanguageID(unsigned nLanguage);

// Builds the locale name that ChangeLocale asks for ("russian_russia.1251", ".1255", ...).
// Returns false, leaving the buffer empty, when the character set needs no locale change.
bool bNomLocaleCharset(int nCharset, char* pszBuffer, std::size_t nSize);
// Switches the C library locale for the character sets that need it. Returns the code
// page of the set; 0 when the set is unknown or its locale is not installed.
unsigned ChangeLocale(int nCharset);

// Thin wrappers over setlocale: a named locale, the "C" locale, the environment's locale,
// and the current name of a category.
const char* pszSetLocale(int nCategory, const char* pszName);
void UnsetLocale(int nCategory);
const char* pszSetSystemLocale(int nCategory);
const char* pszGetLocale(int nCategory);
