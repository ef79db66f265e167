// Fuzz target of the compact text decoder: arbitrary stored texts, several capacities.
//
// Every output buffer is allocated at exactly its capacity, so that AddressSanitizer
// stops on a write past it; the stored text is allocated at exactly its size, for reads
// past the terminator. The outcomes must also agree with one another.
#include "base/compress/CDataCompressor.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Verifie(bool b)
{
    if (!b)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyDonnees, size_t nTaille)
{
    // The stored text: the input up to its first 0 byte, with a terminator.
    char* pszStocke = static_cast<char*>(std::malloc(nTaille + 1));
    if (pszStocke == nullptr)
        return 0;
    if (nTaille != 0)
        std::memcpy(pszStocke, pbyDonnees, nTaille);
    pszStocke[nTaille] = 0;
    const int nLongueur = int(std::strlen(pszStocke));

    // The reference: a capacity that always holds a valid text.
    const int nGrand = nLongueur + nLongueur / 2 + 2;
    char* pszReference = static_cast<char*>(std::malloc(size_t(nGrand)));
    int nTailleReference = nGrand;
    const int nResultatReference =
        CDataCompressor::s_nDeCompress(pszReference, &nTailleReference, pszStocke);
    Verifie(nResultatReference == CDataCompressor::eDECOMP_COMPLET ||
            nResultatReference == CDataCompressor::eDECOMP_CORROMPU);
    Verifie(nTailleReference >= 0 && nTailleReference < nGrand);
    const std::string strReference(pszReference, size_t(nTailleReference));
    Verifie(std::strlen(pszReference) == size_t(nTailleReference));

    const int anCapacites[] = {0, 1, 2, 3, 7, nLongueur, nTailleReference,
                               nTailleReference + 1, nGrand,
                               nTaille != 0 ? pbyDonnees[0] : 5};
    for (int nCapacite : anCapacites) {
        char* pszSortie = static_cast<char*>(std::malloc(size_t(nCapacite > 0 ? nCapacite : 1)));
        int nTailleSortie = nCapacite;
        CDataCompressor clDecodeur;
        const int nResultat = clDecodeur.nDeCompress(nCapacite > 0 ? pszSortie : nullptr,
                                                     &nTailleSortie, pszStocke);
        // The full length is reported whatever the capacity.
        Verifie(nTailleSortie == nTailleReference);
        if (nResultatReference == CDataCompressor::eDECOMP_CORROMPU)
            Verifie(nResultat == CDataCompressor::eDECOMP_CORROMPU);
        else if (nTailleReference < nCapacite)
            Verifie(nResultat == CDataCompressor::eDECOMP_COMPLET);
        else
            Verifie(nResultat == CDataCompressor::eDECOMP_COUPE);
        if (nCapacite > 0) {
            // What is kept is the start of the full text, NUL-terminated in the buffer.
            const size_t nGarde = std::strlen(pszSortie);
            Verifie(nGarde < size_t(nCapacite));
            Verifie(nGarde == size_t(nTailleReference < nCapacite - 1 ? nTailleReference : nCapacite - 1));
            Verifie(strReference.compare(0, nGarde, pszSortie, nGarde) == 0);
        }
        std::free(pszSortie);
    }

    char* pszAlloue = CDataCompressor::s_pszDeCompress(pszStocke);
    if (nResultatReference == CDataCompressor::eDECOMP_COMPLET) {
        Verifie(pszAlloue != nullptr && strReference == pszAlloue);
    } else {
        Verifie(pszAlloue == nullptr);
    }
    std::free(pszAlloue);
    std::free(pszReference);
    std::free(pszStocke);
    return 0;
}
