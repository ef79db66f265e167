// In-place editing of texts: trimming, removing runs of a character, padding, ellipsis.
#pragma once

// Each function edits its argument in place and returns it; null is accepted and returned.

// White space as the C library's isspace defines it: at the end, the start, both, everywhere.
char* STR_SuppressRightSpaces(char* psz);
char* STR_SuppressLeftSpaces(char* psz);
char* STR_SuppressSideSpaces(char* psz);
char* STR_SuppressAllSpaces(char* psz);
char* STR_SuppressRightSpacesA(char* psz);
char* STR_SuppressLeftSpacesA(char* psz);
// Wide white space as iswspace defines it, at the end.
wchar_t* STR_SuppressRightSpacesW(wchar_t* pwsz);
// Runs of c at the end, the start, both.
char* STR_SuppressRightCar(char* psz, char c);
char* STR_SuppressLeftCar(char* psz, char c);
char* STR_SuppressSideCar(char* psz, char c);
// Pads the text in a buffer of nSize bytes with c up to nSize - 1 characters and terminates it
// at nSize - 1, so a longer text is cut. Nothing is done when nSize is 0.
char* STR_Complete(char* psz, unsigned long nSize, char c);

// Fixed underlying type: callers may pass any int, which counts as eELLIPSIS_END when unknown.
enum eELLIPSISPOSITION : int {
    eELLIPSIS_END = 0,
    eELLIPSIS_MIDDLE = 1,
    eELLIPSIS_START = 2,
};

// Shortens src to exactly nMax characters in dst (room for nMax + 1), replacing what is cut by
// "..." at the end, in the middle or at the start (any other position counts as the end).
// A src of at most nMax characters is copied whole. Returns dst, or src unchanged when nMax is
// below 3, and null when src or dst is null. dst may be src.
const char* STR_Ellipsis(char* pszDst, const char* pszSrc, unsigned nMax, eELLIPSISPOSITION ePos);
