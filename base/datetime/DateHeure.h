// Date and time strings: validation of YYYYMMDD dates and HHMMSSCC times, mask conversions, day numbers and differences.
#pragma once

#include <cstddef>

// A date is 8 digits YYYYMMDD; a time up to 8 digits HHMMSSCC (hundredths last; missing digits
// on the right count as "0"); a date-time is a date directly followed by a time. Dates up to
// 4 October 1582 are Julian, dates from 15 October 1582 on Gregorian; the ten days between do
// not exist. Day numbers count from 1 January 1800 = 1 and run on across the reform.

// Month lengths of a leap year, and days before the first of each month in a common year.
extern const int gnTabNbJourMoisBissextile[12];
extern const int gnTabJourCumule[12];

// "0" to "9", or "-" when bMoinsPermis.
bool bCaractereNumerique(char c, bool bMoinsPermis);
// The first n characters are digits ("-" also allowed first when bMoinsEnTete); true for n 0.
bool bChaineNumerique(const char* pszTexte, int n, bool bMoinsEnTete);
// The leading number of the text when its first character passes bCaractereNumerique; values
// beyond the int range stop at its limits.
bool bChaineVersEntier(const char* pszTexte, int* pnValeur, bool bMoinsPermis);
// 1 for a leap year: every fourth year up to 1582, then the Gregorian rule.
int nBissextille(int nAnnee);

// Exactly 8 digits naming an existing day of a year from 1. The results are optional.
bool bDateVerif(const char* pszDate, int* pnAnnee, int* pnMois, int* pnJour);
bool bDateValide(const char* pszDate);
// Up to 8 digits (only the first 8 characters are looked at; "" is midnight) naming hours < 24,
// minutes and seconds <= 59 and hundredths. The results are optional.
bool bHeureVerif(const char* pszHeure, int* pnHeures, int* pnMinutes, int* pnSecondes, int* pnCentiemes);
bool bHeureValide(const char* pszHeure);
// Splits a date-time of at least 8 characters: the first 8 into pszDate, up to 8 more into
// pszHeure (each 9 bytes, terminated).
bool bExtraitDateHeure(const char* pszDateHeure, char* pszDate, char* pszHeure);
bool bDateHeureValide(const char* pszDateHeure);

// Writes the date through the mask: "AAAA"/"YYYY" (any case) the year, "AA"/"YY" its last two
// digits, "MM" the month, "JJ"/"DD" the day, other characters as they are. The date's digits
// are not checked, but it must have at least 8 characters. False, with pszSortie empty, when
// the result and its terminator do not fit in nTaille bytes.
bool bDateVersChaine(const char* pszDate, const char* pszMasque, char* pszSortie, std::size_t nTaille);
// Reads a date through the mask into pszDate (9 bytes, YYYYMMDD): "AAAA"/"YYYY" takes 4
// characters as the year, "AA"/"YY" 2 characters as a year of 1951-1999 (above 50) or
// 2000-2050, "MM" 2 as the month, "JJ"/"DD" 2 as the day, any other mask character skips one
// character. A two-digit year not followed by "MM" in the mask must read as a number 0-99.
// False unless year, month and day were all found within the text; the pieces are not checked.
bool bChaineVersDate(const char* pszTexte, const char* pszMasque, char* pszDate);

// Day number of a date given by its parts; *pnNumero 0 and false for a date that does not exist.
bool bJourGregorien(int nJour, int nMois, int nAnnee, int* pnNumero);
bool bNbJour(const char* pszDate, int* pnNumero);
// Centiseconds since midnight of a time.
bool bNbCentieme(const char* pszHeure, int* pnCentiemes);
bool bJourCentieme(const char* pszDateHeure, int* pnNumero, int* pnCentiemes);
// Second minus first: days between dates, centiseconds between times.
bool bDateDifference(const char* pszDate1, const char* pszDate2, int* pnJours);
bool bHeureDifference(const char* pszHeure1, const char* pszHeure2, int* pnCentiemes);
// Second minus first date-time, written into pszSortie (17 bytes) as a sign and days (7
// digits), hours, minutes, seconds and hundredths (2 digits each): 16 characters.
bool bDateHeureDifference(const char* pszDateHeure1, const char* pszDateHeure2, char* pszSortie);
