// Calendrier: the one statement of the calendar's rules (leap years, month lengths, valid
// dates and times of day), for the file times, the Win32 records and the date strings.
#pragma once

// Two calendars are in use:
// - eCAL_GREGORIEN, the Gregorian rule for every year (proleptic): file times, SYSTEMTIME and
//   _stXFILETIME records, which count from 1601 on;
// - eCAL_HISTORIQUE, the Julian rule (every fourth year) up to 1582 and the Gregorian rule
//   after it, the ten days 5 to 14 October 1582 of the reform having never existed: the date
//   strings of base/datetime/DateHeure.
enum eCALENDRIER { eCAL_GREGORIEN, eCAL_HISTORIQUE };

bool CAL_bBissextile(long long nAnnee, eCALENDRIER eCalendrier = eCAL_GREGORIEN);
// Days of the month (28 to 31); 0 for a month outside 1-12.
unsigned CAL_nJoursDansMois(long long nAnnee, unsigned nMois, eCALENDRIER eCalendrier = eCAL_GREGORIEN);
// One of the ten days dropped by the reform of 1582 (they exist only in the Gregorian
// calendar run backwards).
bool CAL_bJourSupprime(long long nAnnee, unsigned nMois, unsigned nJour);
// A day that exists: month 1-12, day within its month, and in the historical calendar not a
// dropped day. The year itself is not bounded here: each caller states its own range.
bool CAL_bDateValide(long long nAnnee, unsigned nMois, unsigned nJour, eCALENDRIER eCalendrier = eCAL_GREGORIEN);
// A time of day: hour < 24, minute and second < 60, milliseconds < 1000 (leap seconds are
// not taken).
bool CAL_bHeureValide(unsigned nHeure, unsigned nMinute, unsigned nSeconde, unsigned nMillisecondes = 0);
