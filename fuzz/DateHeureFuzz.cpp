// Fuzz target of the date and time validation, day numbers and date-time differences.
//
// The input holds two texts separated by the first NUL (the second empty when there is none),
// each copied into a block of exactly its length plus a terminator.
#include "base/datetime/DateHeure.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

// Checks of one text read as a date, a time and a date-time.
void Texte(const char* psz)
{
    int a = 0, m = 0, j = 0, n = 0;
    const bool bDate = bDateVerif(psz, &a, &m, &j);
    Verifie(bDate == bDateValide(psz));
    Verifie(bDate == bNbJour(psz, &n));
    if (bDate) {
        // A valid date goes through its own mask unchanged, both ways.
        char szSortie[9];
        Verifie(bDateVersChaine(psz, "AAAAMMJJ", szSortie, sizeof szSortie));
        Verifie(std::strcmp(szSortie, psz) == 0);
        char szDate[9];
        Verifie(bChaineVersDate(psz, "YYYYMMDD", szDate));
        Verifie(std::strcmp(szDate, psz) == 0);
        int n2 = 0;
        Verifie(bJourGregorien(j, m, a, &n2) && n2 == n);
    }
    int h = 0, mi = 0, s = 0, c = 0, nc = -1;
    const bool bHeure = bHeureVerif(psz, &h, &mi, &s, &c);
    Verifie(bHeure == bNbCentieme(psz, &nc));
    if (bHeure)
        Verifie(nc >= 0 && nc < 8640000);
    if (bDateHeureValide(psz)) {
        char sz[17];
        Verifie(bDateHeureDifference(psz, psz, sz));
        Verifie(std::strcmp(sz, "+000000000000000") == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    const uint8_t* pSep = static_cast<const uint8_t*>(std::memchr(pbyData, 0, nSize));
    const size_t n1 = pSep ? static_cast<size_t>(pSep - pbyData) : nSize;
    std::vector<char> v1(pbyData, pbyData + n1);
    v1.push_back('\0');
    std::vector<char> v2;
    if (pSep)
        v2.assign(pSep + 1, pbyData + nSize);
    v2.push_back('\0');
    Texte(v1.data());
    Texte(v2.data());

    // Differences: 16 characters and a terminator, opposite signs in the two directions.
    std::vector<char> sz12(17, 'x');
    std::vector<char> sz21(17, 'x');
    const bool b12 = bDateHeureDifference(v1.data(), v2.data(), sz12.data());
    const bool b21 = bDateHeureDifference(v2.data(), v1.data(), sz21.data());
    Verifie(b12 == b21);
    if (b12) {
        Verifie(std::strlen(sz12.data()) == 16 && std::strlen(sz21.data()) == 16);
        Verifie(std::strcmp(sz12.data() + 1, sz21.data() + 1) == 0);
        Verifie(sz12[0] != sz21[0] || std::strcmp(sz12.data() + 1, "000000000000000") == 0);
        int nJours = 0;
        if (bDateDifference(std::string(v1.data(), 8).c_str(), std::string(v2.data(), 8).c_str(), &nJours))
            Verifie(nJours > -3700000 && nJours < 3700000);
    }
    return 0;
}
