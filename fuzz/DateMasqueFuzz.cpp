// Fuzz target of the mask conversions of dates: bDateVersChaine and bChaineVersDate.
//
// The input holds a mask and a text separated by the first NUL; each is copied into a block of
// exactly its length plus a terminator, and the outputs into blocks of exactly their size.
#include "base/datetime/DateHeure.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    const uint8_t* pSep = static_cast<const uint8_t*>(std::memchr(pbyData, 0, nSize));
    const size_t nMasque = pSep ? static_cast<size_t>(pSep - pbyData) : nSize;
    std::vector<char> vMasque(pbyData, pbyData + nMasque);
    vMasque.push_back('\0');
    std::vector<char> vTexte;
    if (pSep)
        vTexte.assign(pSep + 1, pbyData + nSize);
    vTexte.push_back('\0');
    const char* pszTexte = vTexte.data();

    // Text -> date: 8 characters and a terminator in 9 bytes, or nothing written.
    std::vector<char> vDate(9, 'x');
    if (bChaineVersDate(pszTexte, vMasque.data(), vDate.data()))
        Verifie(std::strlen(vDate.data()) == 8);
    else
        Verifie(std::memcmp(vDate.data(), "xxxxxxxxx", 9) == 0);

    // Date -> text: the result never exceeds the mask's length plus two characters per
    // character of the mask; an output one byte short fails, an exact one succeeds.
    std::vector<char> vGrand(4 * nMasque + 8, 'x');
    if (bDateVersChaine(pszTexte, vMasque.data(), vGrand.data(), vGrand.size())) {
        const size_t nLongueur = std::strlen(vGrand.data());
        std::vector<char> vExact(nLongueur + 1);
        Verifie(bDateVersChaine(pszTexte, vMasque.data(), vExact.data(), vExact.size()));
        Verifie(std::strcmp(vExact.data(), vGrand.data()) == 0);
        std::vector<char> vCourt(nLongueur);
        if (nLongueur > 0)
            Verifie(!bDateVersChaine(pszTexte, vMasque.data(), vCourt.data(), vCourt.size()) && vCourt[0] == '\0');
    } else {
        Verifie(vGrand[0] == '\0' || std::strlen(pszTexte) < 8);
    }
    return 0;
}
