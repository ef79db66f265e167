// Date and time strings: validation, mask conversions, day numbers over the Julian and Gregorian calendars.
#include "base/datetime/DateHeure.h"

#include "base/datetime/Calendrier.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

const int gnTabNbJourMoisBissextile[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int gnTabJourCumule[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

namespace {

// Centiseconds in a day, an hour, a minute and a second.
constexpr int64_t kCentiemesJour = 8640000;
constexpr int kCentiemesHeure = 360000;
constexpr int kCentiemesMinute = 6000;
constexpr int kCentiemesSeconde = 100;

// Offset that makes day numbers of 1 January 1800 (Gregorian) equal to 1.
constexpr int64_t kDecalage1800 = 657071;

// Value of n digits (the caller has checked them).
int _nChiffres(const char* p, int n)
{
    int nValeur = 0;
    for (int i = 0; i < n; ++i)
        nValeur = nValeur * 10 + (p[i] - '0');
    return nValeur;
}

// Dates before 15 October 1582 are counted in the Julian calendar.
bool _bJulien(int nJour, int nMois, int nAnnee)
{
    return nAnnee < 1582 || (nAnnee == 1582 && (nMois < 10 || (nMois == 10 && nJour <= 4)));
}

// True when the text has at least n characters from p on.
bool _bDisponible(const char* p, std::size_t n)
{
    return strnlen(p, n) >= n;
}

// Output mask handlers: each appends to the output and returns the mask characters it used
// (0: not its mask).
std::size_t _nFormatAnnee4(const char* pszDate, const char* pszMasque, std::string* psSortie)
{
    if (strncasecmp(pszMasque, "AAAA", 4) != 0 && strncasecmp(pszMasque, "YYYY", 4) != 0)
        return 0;
    psSortie->append(pszDate, 4);
    return 4;
}

std::size_t _nFormatAnnee2(const char* pszDate, const char* pszMasque, std::string* psSortie)
{
    if (std::strncmp(pszMasque, "AA", 2) != 0 && std::strncmp(pszMasque, "YY", 2) != 0)
        return 0;
    psSortie->append(pszDate + 2, 2);
    return 2;
}

std::size_t _nFormatMois(const char* pszDate, const char* pszMasque, std::string* psSortie)
{
    if (std::strncmp(pszMasque, "MM", 2) != 0)
        return 0;
    psSortie->append(pszDate + 4, 2);
    return 2;
}

std::size_t _nFormatJour(const char* pszDate, const char* pszMasque, std::string* psSortie)
{
    if (std::strncmp(pszMasque, "JJ", 2) != 0 && std::strncmp(pszMasque, "DD", 2) != 0)
        return 0;
    psSortie->append(pszDate + 6, 2);
    return 2;
}

std::size_t _nFormatAutre(const char* /*pszDate*/, const char* pszMasque, std::string* psSortie)
{
    psSortie->push_back(*pszMasque);
    return 1;
}

typedef std::size_t (*_pfnTraiteDateFormat)(const char*, const char*, std::string*);
const _pfnTraiteDateFormat gpfnbTabTraiteDateFormat[] = {_nFormatAnnee4, _nFormatAnnee2, _nFormatMois,
                                                          _nFormatJour, _nFormatAutre};

// Input mask handlers: each reads from the text at *ppTexte for the mask at pszMasque and
// returns the mask characters used, 0 when the mask is not its own, -1 when the text ends
// before the piece it needs.
struct _stLecture {
    char szAnnee[5];
    char szMois[3];
    char szJour[3];
};

int _nLitAnnee(const char** ppTexte, const char* pszMasque, _stLecture* pst)
{
    const char* p = *ppTexte;
    if (strncasecmp(pszMasque, "AAAA", 4) == 0 || strncasecmp(pszMasque, "YYYY", 4) == 0) {
        if (!_bDisponible(p, 4))
            return -1;
        std::memcpy(pst->szAnnee, p, 4);
        *ppTexte = p + 4;
        return 4;
    }
    if (std::strncmp(pszMasque, "AA", 2) != 0 && std::strncmp(pszMasque, "YY", 2) != 0)
        return 0;
    if (std::strncmp(pszMasque + 2, "MM", 2) != 0) {
        // A two-digit year standing alone must read as a number from 0 to 99.
        // atoi's reading: leading blanks and a sign are accepted, the value decides.
        const long nValeur = std::strtol(p, nullptr, 10);
        if (nValeur < 0 || nValeur > 99 || (nValeur == 0 && *p != '0'))
            return 0;
    }
    if (!_bDisponible(p, 2))
        return -1;
    const char szDeux[3] = {p[0], p[1], '\0'};
    std::memcpy(pst->szAnnee, std::atoi(szDeux) > 50 ? "19" : "20", 2);
    std::memcpy(pst->szAnnee + 2, p, 2);
    *ppTexte = p + 2;
    return 2;
}

int _nLitDeux(const char** ppTexte, char* pszPiece)
{
    if (!_bDisponible(*ppTexte, 2))
        return -1;
    std::memcpy(pszPiece, *ppTexte, 2);
    *ppTexte += 2;
    return 2;
}

int _nLitMois(const char** ppTexte, const char* pszMasque, _stLecture* pst)
{
    return std::strncmp(pszMasque, "MM", 2) == 0 ? _nLitDeux(ppTexte, pst->szMois) : 0;
}

int _nLitJour(const char** ppTexte, const char* pszMasque, _stLecture* pst)
{
    if (std::strncmp(pszMasque, "JJ", 2) != 0 && std::strncmp(pszMasque, "DD", 2) != 0)
        return 0;
    return _nLitDeux(ppTexte, pst->szJour);
}

int _nLitAutre(const char** ppTexte, const char* /*pszMasque*/, _stLecture* /*pst*/)
{
    // Skips one character of text; at the end of the text there is nothing left to skip.
    if (**ppTexte)
        ++*ppTexte;
    return 1;
}

typedef int (*_pfnTraiteDate)(const char**, const char*, _stLecture*);
const _pfnTraiteDate gpfnbTabTraiteDate[] = {_nLitAnnee, _nLitMois, _nLitJour, _nLitAutre};

} // namespace

bool bCaractereNumerique(char c, bool bMoinsPermis)
{
    return (c >= '0' && c <= '9') || (bMoinsPermis && c == '-');
}

bool bChaineNumerique(const char* pszTexte, int n, bool bMoinsEnTete)
{
    if (n <= 0)
        return true;
    if (!pszTexte)
        return false;
    // A NUL is not a digit, so the walk stops at the end of a shorter text.
    for (int i = 0; i < n; ++i)
        if (!bCaractereNumerique(pszTexte[i], bMoinsEnTete && i == 0))
            return false;
    return true;
}

bool bChaineVersEntier(const char* pszTexte, int* pnValeur, bool bMoinsPermis)
{
    if (!pszTexte || !bCaractereNumerique(pszTexte[0], bMoinsPermis))
        return false;
    errno = 0;
    const long nLu = std::strtol(pszTexte, nullptr, 10);
    const long nBorne = nLu > INT_MAX ? INT_MAX : (nLu < INT_MIN ? INT_MIN : nLu);
    if (pnValeur)
        *pnValeur = static_cast<int>(nBorne);
    return true;
}

int nBissextille(int nAnnee)
{
    return CAL_bBissextile(nAnnee, eCAL_HISTORIQUE) ? 1 : 0;
}

bool bDateVerif(const char* pszDate, int* pnAnnee, int* pnMois, int* pnJour)
{
    if (!pszDate || std::strlen(pszDate) != 8 || !bChaineNumerique(pszDate, 8, false))
        return false;
    const int nAnnee = _nChiffres(pszDate, 4);
    const int nMois = _nChiffres(pszDate + 4, 2);
    const int nJour = _nChiffres(pszDate + 6, 2);
    if (nAnnee < 1 || nMois < 1 || nJour < 1 ||
        !CAL_bDateValide(nAnnee, static_cast<unsigned>(nMois), static_cast<unsigned>(nJour), eCAL_HISTORIQUE))
        return false;
    if (pnAnnee)
        *pnAnnee = nAnnee;
    if (pnMois)
        *pnMois = nMois;
    if (pnJour)
        *pnJour = nJour;
    return true;
}

bool bDateValide(const char* pszDate)
{
    return bDateVerif(pszDate, nullptr, nullptr, nullptr);
}

bool bHeureVerif(const char* pszHeure, int* pnHeures, int* pnMinutes, int* pnSecondes, int* pnCentiemes)
{
    if (!pszHeure)
        return false;
    const std::size_t nLongueur = strnlen(pszHeure, 8);
    if (!bChaineNumerique(pszHeure, static_cast<int>(nLongueur), false))
        return false;
    char szHeure[9] = "00000000";
    std::memcpy(szHeure, pszHeure, nLongueur);
    const int nHeures = _nChiffres(szHeure, 2);
    const int nMinutes = _nChiffres(szHeure + 2, 2);
    const int nSecondes = _nChiffres(szHeure + 4, 2);
    const int nCentiemes = _nChiffres(szHeure + 6, 2);
    if (nHeures >= 24 || nMinutes > 59 || nSecondes > 59)
        return false;
    if (pnHeures)
        *pnHeures = nHeures;
    if (pnMinutes)
        *pnMinutes = nMinutes;
    if (pnSecondes)
        *pnSecondes = nSecondes;
    if (pnCentiemes)
        *pnCentiemes = nCentiemes;
    return true;
}

bool bHeureValide(const char* pszHeure)
{
    return bHeureVerif(pszHeure, nullptr, nullptr, nullptr, nullptr);
}

bool bExtraitDateHeure(const char* pszDateHeure, char* pszDate, char* pszHeure)
{
    if (!pszDateHeure || strnlen(pszDateHeure, 8) < 8)
        return false;
    std::memcpy(pszDate, pszDateHeure, 8);
    pszDate[8] = '\0';
    const std::size_t nHeure = strnlen(pszDateHeure + 8, 8);
    std::memcpy(pszHeure, pszDateHeure + 8, nHeure);
    pszHeure[nHeure] = '\0';
    return true;
}

bool bDateHeureValide(const char* pszDateHeure)
{
    char szDate[9];
    char szHeure[9];
    return bExtraitDateHeure(pszDateHeure, szDate, szHeure) && bDateValide(szDate) && bHeureValide(szHeure);
}

bool bDateVersChaine(const char* pszDate, const char* pszMasque, char* pszSortie, std::size_t nTaille)
{
    if (!pszSortie || nTaille == 0)
        return false;
    pszSortie[0] = '\0';
    if (!pszDate || !pszMasque || strnlen(pszDate, 8) < 8)
        return false;
    std::string sSortie;
    while (*pszMasque) {
        for (_pfnTraiteDateFormat pfn : gpfnbTabTraiteDateFormat) {
            const std::size_t n = pfn(pszDate, pszMasque, &sSortie);
            if (n != 0) {
                pszMasque += n;
                break;
            }
        }
    }
    if (sSortie.size() + 1 > nTaille)
        return false;
    std::memcpy(pszSortie, sSortie.c_str(), sSortie.size() + 1);
    return true;
}

bool bChaineVersDate(const char* pszTexte, const char* pszMasque, char* pszDate)
{
    if (!pszTexte || !pszMasque || !pszDate)
        return false;
    _stLecture stLu{};
    while (*pszMasque) {
        for (_pfnTraiteDate pfn : gpfnbTabTraiteDate) {
            const int n = pfn(&pszTexte, pszMasque, &stLu);
            if (n < 0)
                return false;
            if (n > 0) {
                pszMasque += n;
                break;
            }
        }
    }
    if (!stLu.szAnnee[0] || !stLu.szMois[0] || !stLu.szJour[0])
        return false;
    std::memcpy(pszDate, stLu.szAnnee, 4);
    std::memcpy(pszDate + 4, stLu.szMois, 2);
    std::memcpy(pszDate + 6, stLu.szJour, 2);
    pszDate[8] = '\0';
    return true;
}

bool bJourGregorien(int nJour, int nMois, int nAnnee, int* pnNumero)
{
    if (!pnNumero)
        return false;
    *pnNumero = 0;
    if (nAnnee < 1 || nMois < 1 || nJour < 1 ||
        !CAL_bDateValide(nAnnee, static_cast<unsigned>(nMois), static_cast<unsigned>(nJour), eCAL_HISTORIQUE))
        return false;
    const int64_t y = static_cast<int64_t>(nAnnee) - 1;
    int64_t nNumero = nJour - kDecalage1800 + gnTabJourCumule[nMois - 1] + 365 * y + y / 4 +
                      ((nMois >= 3 && nBissextille(nAnnee)) ? 1 : 0);
    // Julian dates have no century exception; the 2 makes 4 October 1582 (Julian) the day
    // before 15 October 1582 (Gregorian).
    if (_bJulien(nJour, nMois, nAnnee))
        nNumero -= 2;
    else
        nNumero += -y / 100 + y / 400;
    if (nNumero < INT_MIN || nNumero > INT_MAX)
        return false;
    *pnNumero = static_cast<int>(nNumero);
    return true;
}

bool bNbJour(const char* pszDate, int* pnNumero)
{
    int nAnnee = 0;
    int nMois = 0;
    int nJour = 0;
    *pnNumero = 0;
    return bDateVerif(pszDate, &nAnnee, &nMois, &nJour) && bJourGregorien(nJour, nMois, nAnnee, pnNumero);
}

bool bNbCentieme(const char* pszHeure, int* pnCentiemes)
{
    int h = 0, m = 0, s = 0, c = 0;
    if (!bHeureVerif(pszHeure, &h, &m, &s, &c))
        return false;
    *pnCentiemes = h * kCentiemesHeure + m * kCentiemesMinute + s * kCentiemesSeconde + c;
    return true;
}

bool bJourCentieme(const char* pszDateHeure, int* pnNumero, int* pnCentiemes)
{
    char szDate[9];
    char szHeure[9];
    return bExtraitDateHeure(pszDateHeure, szDate, szHeure) && bNbJour(szDate, pnNumero) &&
           bNbCentieme(szHeure, pnCentiemes);
}

bool bDateDifference(const char* pszDate1, const char* pszDate2, int* pnJours)
{
    int n1 = 0;
    int n2 = 0;
    if (!bNbJour(pszDate1, &n1) || !bNbJour(pszDate2, &n2))
        return false;
    *pnJours = n2 - n1;
    return true;
}

bool bHeureDifference(const char* pszHeure1, const char* pszHeure2, int* pnCentiemes)
{
    int n1 = 0;
    int n2 = 0;
    if (!bNbCentieme(pszHeure1, &n1) || !bNbCentieme(pszHeure2, &n2))
        return false;
    *pnCentiemes = n2 - n1;
    return true;
}

bool bDateHeureDifference(const char* pszDateHeure1, const char* pszDateHeure2, char* pszSortie)
{
    int nJours1 = 0, nCentiemes1 = 0, nJours2 = 0, nCentiemes2 = 0;
    if (!bJourCentieme(pszDateHeure1, &nJours1, &nCentiemes1) || !bJourCentieme(pszDateHeure2, &nJours2, &nCentiemes2))
        return false;
    // Exact in 64 bits: the widest span (years 1 to 9999) is about 3.2e13 centiseconds.
    const int64_t d = (nJours2 * kCentiemesJour + nCentiemes2) - (nJours1 * kCentiemesJour + nCentiemes1);
    int64_t a = d < 0 ? -d : d;
    const long long nJours = a / kCentiemesJour;
    a %= kCentiemesJour;
    const long long nHeures = a / kCentiemesHeure;
    a %= kCentiemesHeure;
    const long long nMinutes = a / kCentiemesMinute;
    a %= kCentiemesMinute;
    // Days stay below 10^7 for dates of years 1 to 9999, so the text is 16 characters.
    char szTexte[64];
    std::snprintf(szTexte, sizeof szTexte, "%s%07lld%02lld%02lld%02lld%02lld", d >= 0 ? "+" : "-", nJours, nHeures,
                  nMinutes, static_cast<long long>(a / kCentiemesSeconde),
                  static_cast<long long>(a % kCentiemesSeconde));
    std::memcpy(pszSortie, szTexte, 17);
    return true;
}
