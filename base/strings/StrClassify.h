// Classification of characters and texts.
#pragma once

// Class bit 8 of the Windows-1252 table: punctuation, control or space.
bool STR_bWhiteCharOrPunct(char c);
// The text contains the byte 0x20; false for null.
bool STR_bContainSpace(const char* psz);
// The text holds only tab, LF, CR and space, or nothing (null included).
bool STR_bNeContientRienDeLisible(const char* psz);
// "0" to "9".
bool bEstUnChiffre(char c);
// The text holds only digits; the empty text counts, null does not.
bool bEstUnNombreEntierNaturel(const char* psz);
// Value of a digit: c - "0" (meaningful for digits only).
int nGetChiffre(char c);
// Above 0x7F.
bool bExtendedASCII(char c);
// "A" to "Z" / "a" to "z".
bool bMajuscule(char c);
bool bMinuscule(char c);
// Below 0x20.
bool bUnprintable(char c);
// 0x21-0x2F, 0x3A-0x40, 0x5B-0x5F.
bool bPonctuation(char c);
// The text begins, ignoring case, with "{\rtf1" or "{\rtf{"; false for null.
bool bEstDuTexteRTF(const char* psz);
