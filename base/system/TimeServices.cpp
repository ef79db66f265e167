// Clock and file times: gettimeofday, the local-time library, and calendar arithmetic in 64 bits.
#include "base/system/TimeServices.h"

#include "base/datetime/Calendrier.h"
#include "base/system/AppelsSysteme.h"

#include <cerrno>
#include <ctime>
#include <limits>
#include <sys/stat.h>
#include <sys/time.h>

// Dates after January 2038 (the build gives a 32-bit ABI _TIME_BITS=64).
static_assert(sizeof(time_t) == 8, "a 64-bit time_t");

namespace {

constexpr int64_t kSecondes1601A1970 = gnSecondes1601A1970;
constexpr uint64_t kUnitesParSeconde = gnUnitesFileTimeParSeconde;

// Days from 1 January 1970 to the given proleptic Gregorian date (negative before).
int64_t _nJoursDepuis1970(int64_t nAnnee, unsigned nMois, unsigned nJour)
{
    nAnnee -= nMois <= 2;
    const int64_t nEre = (nAnnee >= 0 ? nAnnee : nAnnee - 399) / 400;
    const int64_t nAnneeEre = nAnnee - nEre * 400;
    const int64_t nJourAnnee = (153 * (nMois > 2 ? nMois - 3 : nMois + 9) + 2) / 5 + nJour - 1;
    const int64_t nJourEre = nAnneeEre * 365 + nAnneeEre / 4 - nAnneeEre / 100 + nJourAnnee;
    return nEre * 146097 + nJourEre - 719468;
}

// The date of a day count from 1 January 1970.
void _DateDeJours(int64_t nJours, int64_t* pnAnnee, unsigned* pnMois, unsigned* pnJour)
{
    nJours += 719468;
    const int64_t nEre = (nJours >= 0 ? nJours : nJours - 146096) / 146097;
    const int64_t nJourEre = nJours - nEre * 146097;
    const int64_t nAnneeEre = (nJourEre - nJourEre / 1460 + nJourEre / 36524 - nJourEre / 146096) / 365;
    const int64_t nJourAnnee = nJourEre - (365 * nAnneeEre + nAnneeEre / 4 - nAnneeEre / 100);
    const int64_t nMp = (5 * nJourAnnee + 2) / 153;
    *pnJour = static_cast<unsigned>(nJourAnnee - (153 * nMp + 2) / 5 + 1);
    *pnMois = static_cast<unsigned>(nMp < 10 ? nMp + 3 : nMp - 9);
    *pnAnnee = nAnneeEre + nEre * 400 + (*pnMois <= 2);
}

int64_t _nDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Calendar fields of a Unix time in seconds, as gmtime would give them (without time_t).
void _DecomposeUtc(int64_t nSecondes, struct tm* pstTm)
{
    const int64_t nJours = _nDiv(nSecondes, 86400);
    const int64_t nReste = nSecondes - nJours * 86400;
    int64_t nAnnee = 0;
    unsigned nMois = 0;
    unsigned nJour = 0;
    _DateDeJours(nJours, &nAnnee, &nMois, &nJour);
    *pstTm = tm{};
    pstTm->tm_year = static_cast<int>(nAnnee - 1900);
    pstTm->tm_mon = static_cast<int>(nMois) - 1;
    pstTm->tm_mday = static_cast<int>(nJour);
    pstTm->tm_hour = static_cast<int>(nReste / 3600);
    pstTm->tm_min = static_cast<int>(nReste / 60 % 60);
    pstTm->tm_sec = static_cast<int>(nReste % 60);
    // 1 January 1970 was a Thursday.
    pstTm->tm_wday = static_cast<int>(((nJours % 7) + 11) % 7);
}

// Calendar fields read as UTC -> Unix time in seconds (timegm without time_t).
int64_t _nSecondesUtc(const struct tm* pstTm)
{
    return _nJoursDepuis1970(static_cast<int64_t>(pstTm->tm_year) + 1900, static_cast<unsigned>(pstTm->tm_mon + 1),
                             static_cast<unsigned>(pstTm->tm_mday)) *
               86400 +
           pstTm->tm_hour * 3600 + pstTm->tm_min * 60 + pstTm->tm_sec;
}

// Fields of a SYSTEMTIME that name a real moment (milliseconds are not looked at).
bool _bChampsValides(const SYSTEMTIME* pstTime)
{
    return CAL_bDateValide(pstTime->wYear, pstTime->wMonth, pstTime->wDay) &&
           CAL_bHeureValide(pstTime->wHour, pstTime->wMinute, pstTime->wSecond);
}

void _RemplitSystemTime(const struct tm& stTm, unsigned nMillisecondes, SYSTEMTIME* pstTime)
{
    pstTime->wYear = static_cast<WORD>(stTm.tm_year + 1900);
    pstTime->wMonth = static_cast<WORD>(stTm.tm_mon + 1);
    pstTime->wDayOfWeek = static_cast<WORD>(stTm.tm_wday);
    pstTime->wDay = static_cast<WORD>(stTm.tm_mday);
    pstTime->wHour = static_cast<WORD>(stTm.tm_hour);
    pstTime->wMinute = static_cast<WORD>(stTm.tm_min);
    pstTime->wSecond = static_cast<WORD>(stTm.tm_sec);
    pstTime->wMilliseconds = static_cast<WORD>(nMillisecondes);
}

bool _bTientDansTimeT(int64_t n)
{
    return n >= static_cast<int64_t>(std::numeric_limits<time_t>::min()) &&
           n <= static_cast<int64_t>(std::numeric_limits<time_t>::max());
}

} // namespace

uint64_t _nFileTimeValeur(const FILETIME* pstFileTime)
{
    return (static_cast<uint64_t>(pstFileTime->dwHighDateTime) << 32) | pstFileTime->dwLowDateTime;
}

FILETIME _stFileTimeDe(uint64_t nValeur)
{
    return FILETIME{static_cast<DWORD>(nValeur), static_cast<DWORD>(nValeur >> 32)};
}

bool _bUnixVersFileTime(int64_t nSecondes, FILETIME* pstFileTime)
{
    // File times run from 1601 and end at 2^63 units.
    if (nSecondes < -kSecondes1601A1970 ||
        nSecondes > static_cast<int64_t>(0x7FFFFFFFFFFFFFFFULL / kUnitesParSeconde) - kSecondes1601A1970)
        return false;
    *pstFileTime = _stFileTimeDe(static_cast<uint64_t>(nSecondes + kSecondes1601A1970) * kUnitesParSeconde);
    return true;
}

int64_t _nFileTimeVersUnix(const FILETIME* pstFileTime)
{
    return static_cast<int64_t>(_nFileTimeValeur(pstFileTime) / kUnitesParSeconde) - kSecondes1601A1970;
}

bool _bTimespecVersFileTime(int64_t nSecondes, long nNanosecondes, FILETIME* pstFileTime)
{
    FILETIME st;
    if (nNanosecondes < 0 || nNanosecondes >= 1000000000L || !_bUnixVersFileTime(nSecondes, &st))
        return false;
    const uint64_t nValeur = _nFileTimeValeur(&st) + static_cast<uint64_t>(nNanosecondes / 100);
    if (nValeur > 0x7FFFFFFFFFFFFFFFULL)
        return false;
    *pstFileTime = _stFileTimeDe(nValeur);
    return true;
}

void _FileTimeVersTimespec(const FILETIME* pstFileTime, int64_t* pnSecondes, long* pnNanosecondes)
{
    const uint64_t nValeur = _nFileTimeValeur(pstFileTime);
    *pnSecondes = static_cast<int64_t>(nValeur / kUnitesParSeconde) - kSecondes1601A1970;
    *pnNanosecondes = static_cast<long>(nValeur % kUnitesParSeconde) * 100;
}

DWORD GetTickCount()
{
    timeval stTv{};
    gettimeofday(&stTv, nullptr);
    // Unsigned arithmetic: the count wraps at 2^32 milliseconds.
    return static_cast<DWORD>(static_cast<uint64_t>(stTv.tv_sec) * 1000u + static_cast<uint64_t>(stTv.tv_usec) / 1000u);
}

void GetLocalTime(SYSTEMTIME* pstTime)
{
    timeval stTv{};
    struct tm stTm{};
    if (!pstTime || gettimeofday(&stTv, nullptr) != 0 || !localtime_r(&stTv.tv_sec, &stTm))
        return;
    _RemplitSystemTime(stTm, static_cast<unsigned>(stTv.tv_usec / 1000), pstTime);
}

void GetSystemTime(SYSTEMTIME* pstTime)
{
    timeval stTv{};
    struct tm stTm{};
    if (!pstTime || gettimeofday(&stTv, nullptr) != 0 || !gmtime_r(&stTv.tv_sec, &stTm))
        return;
    _RemplitSystemTime(stTm, static_cast<unsigned>(stTv.tv_usec / 1000), pstTime);
}

bool SetLocalTime(const SYSTEMTIME* pstTime)
{
    if (!pstTime || !_bChampsValides(pstTime))
        return false;
    struct tm stTm{};
    stTm.tm_year = pstTime->wYear - 1900;
    stTm.tm_mon = pstTime->wMonth - 1;
    stTm.tm_mday = pstTime->wDay;
    stTm.tm_hour = pstTime->wHour;
    stTm.tm_min = pstTime->wMinute;
    stTm.tm_sec = pstTime->wSecond;
    stTm.tm_isdst = -1;
    errno = 0;
    const time_t nSecondes = mktime(&stTm);
    if (nSecondes == static_cast<time_t>(-1) && errno != 0)
        return false;
    timeval stTv{};
    stTv.tv_sec = nSecondes;
    stTv.tv_usec = 0;
    return settimeofday(&stTv, nullptr) == 0;
}

bool SystemTimeToFileTime(const SYSTEMTIME* pstTime, FILETIME* pstFileTime)
{
    if (!pstTime || !pstFileTime || pstTime->wYear < 1601 || !_bChampsValides(pstTime))
        return false;
    const int64_t nSecondes = _nJoursDepuis1970(pstTime->wYear, pstTime->wMonth, pstTime->wDay) * 86400 +
                              pstTime->wHour * 3600 + pstTime->wMinute * 60 + pstTime->wSecond;
    return _bUnixVersFileTime(nSecondes, pstFileTime);
}

bool FileTimeToSystemTime(const FILETIME* pstFileTime, SYSTEMTIME* pstTime)
{
    if (!pstFileTime || !pstTime || _nFileTimeValeur(pstFileTime) > 0x7FFFFFFFFFFFFFFFULL)
        return false;
    struct tm stTm{};
    _DecomposeUtc(_nFileTimeVersUnix(pstFileTime), &stTm);
    _RemplitSystemTime(stTm, 0, pstTime);
    return true;
}

bool FileTimeToLocalFileTime(const FILETIME* pstFileTime, FILETIME* pstLocalFileTime)
{
    if (!pstFileTime || !pstLocalFileTime)
        return false;
    const int64_t nSecondes = _nFileTimeVersUnix(pstFileTime);
    if (!_bTientDansTimeT(nSecondes))
        return false;
    const time_t nTemps = static_cast<time_t>(nSecondes);
    struct tm stTm{};
    if (!localtime_r(&nTemps, &stTm))
        return false;
    return _bUnixVersFileTime(_nSecondesUtc(&stTm), pstLocalFileTime);
}

bool LocalFileTimeToFileTime(const FILETIME* pstLocalFileTime, FILETIME* pstFileTime)
{
    if (!pstLocalFileTime || !pstFileTime)
        return false;
    struct tm stTm{};
    _DecomposeUtc(_nFileTimeVersUnix(pstLocalFileTime), &stTm);
    stTm.tm_isdst = -1;
    errno = 0;
    const time_t nSecondes = mktime(&stTm);
    if (nSecondes == static_cast<time_t>(-1) && errno != 0)
        return false;
    return _bUnixVersFileTime(nSecondes, pstFileTime);
}

bool GetFileTime(int nFd, FILETIME* pstCreation, FILETIME* pstLastAccess, FILETIME* pstLastWrite)
{
    struct stat64 stInfo{};
    if (!SYS_bFstat(nFd, &stInfo))
        return false;
    if (pstCreation)
        _bUnixVersFileTime(stInfo.st_ctime, pstCreation);
    if (pstLastAccess)
        _bUnixVersFileTime(stInfo.st_atime, pstLastAccess);
    if (pstLastWrite)
        _bUnixVersFileTime(stInfo.st_mtime, pstLastWrite);
    return true;
}
