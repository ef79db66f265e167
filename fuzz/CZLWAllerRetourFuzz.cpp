// Fuzz target of encode-then-decode: every input compresses into at most input + 5 bytes within
// the documented capacity, and decodes back to itself.
//
// The input is used as it is and, to reach long matches, full dictionaries and resets from short
// fuzz inputs, also expanded: each input byte repeated by a count taken from the next byte.
#include "base/compress/CCompresseur.h"

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

void AllerRetour(const uint8_t* pby, uint32_t n)
{
    CCompresseur cl(4);
    const uint32_t dwCapacite = CCompresseur::ms_clCompresseurZLW.dwTailleBufferCompression(n);
    uint8_t* pbyBloc = static_cast<uint8_t*>(std::malloc(dwCapacite));
    cl.m_pEntree = pby;
    cl.m_dwEntree = n;
    cl.m_pSortie = pbyBloc;
    cl.m_dwSortie = dwCapacite;
    const uint32_t nBloc = cl.dwCompression();
    Verifie(nBloc != 0 && nBloc <= n + 5);
    Verifie(CCompresseur::ms_clCompresseurZLW.dwTailleEntree(pbyBloc) == nBloc);
    Verifie(CCompresseur::ms_clCompresseurZLW.dwTailleDecompression(pbyBloc, nBloc) == n);
    // Exactly the capacity it needs, so that a write past it is caught.
    uint8_t* pbySortie = static_cast<uint8_t*>(std::malloc(n ? n : 1));
    cl.m_pEntree = pbyBloc;
    cl.m_dwEntree = nBloc;
    cl.m_pSortie = pbySortie;
    cl.m_dwSortie = n;
    Verifie(cl.dwDecompression(-1) == n || (n == 0 && nBloc == 5));
    Verifie(n == 0 || std::memcmp(pbySortie, pby, n) == 0);
    std::free(pbySortie);
    std::free(pbyBloc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyDonnees, size_t nTaille)
{
    if (nTaille > (1u << 20))
        return 0;
    // A copy of exactly the input's size, so that a read past it is caught.
    const std::vector<uint8_t> abCopie(pbyDonnees, pbyDonnees + nTaille);
    AllerRetour(abCopie.data(), uint32_t(nTaille));

    std::vector<uint8_t> abEtendu;
    for (size_t i = 0; i + 1 < nTaille && abEtendu.size() < (1u << 21); i += 2) {
        const size_t nFois = size_t(pbyDonnees[i + 1]) * (pbyDonnees[i + 1] > 250 ? 64 : 1) + 1;
        abEtendu.insert(abEtendu.end(), nFois, pbyDonnees[i]);
    }
    if (!abEtendu.empty())
        AllerRetour(abEtendu.data(), uint32_t(abEtendu.size()));
    return 0;
}
