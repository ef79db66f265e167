// Fuzz target of the line checks of profile files (the .ZX and .conf files that zvinfoexe --check reads).
//
// The input is the file's text, in a block of exactly its size.
#include "base/settings/VerifProfil.h"

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
    char* p = static_cast<char*>(std::malloc(nSize ? nSize : 1));
    if (nSize)
        std::memcpy(p, pbyData, nSize);
    size_t nLignes = 0;
    for (size_t i = 0; i < nSize; ++i)
        nLignes += p[i] == '\n' ? 1 : 0;
    if (nSize && p[nSize - 1] != '\n')
        ++nLignes;
    const std::vector<_stREMARQUEPROFIL> ast = vVerifieProfil(p, nSize, 50);
    std::free(p);
    // Remarks come in line order, name real lines, and the doubles point back to earlier ones.
    Verifie(ast.size() <= 50);
    unsigned nPrecedente = 0;
    for (const _stREMARQUEPROFIL& st : ast) {
        Verifie(st.nLigne >= 1 && st.nLigne <= nLignes && st.nLigne >= nPrecedente);
        Verifie(st.sLigne.size() <= 63);
        if (st.eRemarque == eREMARQUE_CLE_DOUBLE || st.eRemarque == eREMARQUE_SECTION_DOUBLE)
            Verifie(st.nLigneAutre >= 1 && st.nLigneAutre < st.nLigne);
        Verifie(!sTexteRemarque(st).empty());
        nPrecedente = st.nLigne;
    }
    return 0;
}
