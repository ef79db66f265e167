// Clock and file times as the Win32 calls GetTickCount, GetLocalTime, SystemTimeToFileTime and their kin.
#pragma once

#include "base/system/Win32Api.h"

#include <cstdint>

// Milliseconds of the wall clock, wrapping at 2^32.
DWORD GetTickCount();

// The current local or UTC time (milliseconds included); nothing is written when the clock or
// its conversion fails.
void GetLocalTime(SYSTEMTIME* pstTime);
void GetSystemTime(SYSTEMTIME* pstTime);
// Sets the system clock to the local time *pstTime (whole seconds). False for fields out of
// range (month 1-12, day in month, hour < 24, minute and second < 60) or when the clock cannot
// be set.
bool SetLocalTime(const SYSTEMTIME* pstTime);

// File times count 100-nanosecond units since 1 January 1601 UTC; these conversions work in
// whole seconds (milliseconds are ignored on the way in and 0 on the way out).
// UTC calendar time -> file time. False for fields out of range (as SetLocalTime, and a year
// from 1601 on): such fields are refused, not carried into the next unit.
bool SystemTimeToFileTime(const SYSTEMTIME* pstTime, FILETIME* pstFileTime);
// File time -> UTC calendar time, day of week included; false from 2^63 on (after the year
// 30827), as those counts do not name a time.
bool FileTimeToSystemTime(const FILETIME* pstFileTime, SYSTEMTIME* pstTime);
// UTC file time -> the local wall-clock time written as if it were UTC, and back (the
// wall-clock value read as local time). False when the local-time library cannot convert the
// moment (on i386 the local time is limited to the 32-bit seconds of 1901-2038) or the result
// lies before 1601.
bool FileTimeToLocalFileTime(const FILETIME* pstFileTime, FILETIME* pstLocalFileTime);
bool LocalFileTimeToFileTime(const FILETIME* pstLocalFileTime, FILETIME* pstFileTime);

// Times of an open descriptor: creation from the status-change time, last access, last write.
// Each out-parameter is optional; false when fstat fails.
bool GetFileTime(int nFd, FILETIME* pstCreation, FILETIME* pstLastAccess, FILETIME* pstLastWrite);

// Seconds from 1 January 1601 to 1 January 1970 (the FILETIME epoch seen from Unix time), and
// file-time units (100 nanoseconds) per second: Unix time t is t * 10 000 000 +
// 116 444 736 000 000 000 in file-time units.
constexpr int64_t gnSecondes1601A1970 = 11644473600LL;
constexpr uint64_t gnUnitesFileTimeParSeconde = 10000000ULL;

// A Unix time with its nanoseconds as a file time (nanoseconds cut to 100) and back. False
// outside the range of file times (1601 to 2^63 units) or for nanoseconds outside 0-999999999.
bool _bTimespecVersFileTime(int64_t nSecondes, long nNanosecondes, FILETIME* pstFileTime);
void _FileTimeVersTimespec(const FILETIME* pstFileTime, int64_t* pnSecondes, long* pnNanosecondes);

// The 64-bit count of a FILETIME and back; the file time of a Unix time in seconds and back
// (the second rounded down towards 1601).
uint64_t _nFileTimeValeur(const FILETIME* pstFileTime);
FILETIME _stFileTimeDe(uint64_t nValeur);
bool _bUnixVersFileTime(int64_t nSecondes, FILETIME* pstFileTime);
int64_t _nFileTimeVersUnix(const FILETIME* pstFileTime);
