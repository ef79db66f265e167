// Fuzz target of the block decoder: arbitrary blocks, decoded into outputs of several capacities.
//
// The block and every output are heap areas of exactly their size, so that AddressSanitizer stops
// on a read past the block or a write past the output. A block that decodes must decode the
// same at every capacity that holds it and fail at every capacity that does not; a successful
// decoding re-encoded and decoded again gives the same bytes.
#include "base/compress/CZLWCompresseur.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyDonnees, size_t nTaille)
{
    if (nTaille == 0 || nTaille > (1u << 20))
        return 0;
    // Most first bytes become method 4, so that most runs reach the dictionary decoder; 0 stays
    // the stored method and bytes from 200 on stay unknown methods.
    uint8_t* pbyBloc = static_cast<uint8_t*>(std::malloc(nTaille));
    std::memcpy(pbyBloc, pbyDonnees, nTaille);
    if (pbyBloc[0] != 0 && pbyBloc[0] < 200)
        pbyBloc[0] = 4;
    const uint32_t dwBloc = uint32_t(nTaille);

    CZLWCompresseur cl;
    const uint32_t dwDeclare = cl.dwTailleDecompression(pbyBloc, dwBloc);
    // Capacities: none, tiny, around the declared length, and a bounded large one.
    const uint32_t dwMax = 1u << 22;
    std::vector<uint32_t> tabCapacites = {0, 1, 7};
    if (dwDeclare != CCompresseurBase::dwTAILLE_INCONNUE && dwDeclare <= dwMax) {
        tabCapacites.push_back(dwDeclare);
        if (dwDeclare)
            tabCapacites.push_back(dwDeclare - 1);
        tabCapacites.push_back(dwDeclare + 1);
    }
    uint32_t dwResultat = CCompresseurBase::dwTAILLE_INCONNUE;
    std::vector<uint8_t> abReference;
    for (uint32_t dwCapacite : tabCapacites) {
        uint8_t* pbySortie = static_cast<uint8_t*>(std::malloc(dwCapacite ? dwCapacite : 1));
        const uint32_t n = cl.dwDecompression(pbyBloc, dwBloc, dwCapacite ? pbySortie : nullptr, dwCapacite);
        Verifie(n <= dwCapacite);
        if (n) {
            // Success always gives the declared length.
            Verifie(n == dwDeclare);
            if (dwResultat == CCompresseurBase::dwTAILLE_INCONNUE) {
                dwResultat = n;
                abReference.assign(pbySortie, pbySortie + n);
            } else {
                Verifie(n == dwResultat && std::memcmp(pbySortie, abReference.data(), n) == 0);
            }
        } else if (dwCapacite >= dwDeclare && dwResultat != CCompresseurBase::dwTAILLE_INCONNUE && dwResultat != 0) {
            std::abort();  // decoded at a smaller capacity but not at this one
        }
        std::free(pbySortie);
    }

    if (!abReference.empty()) {
        const uint32_t dwCapacite = cl.dwTailleBufferCompression(uint32_t(abReference.size()));
        std::vector<uint8_t> abBloc(dwCapacite);
        const uint32_t nBloc = cl.dwCompression(abReference.data(), uint32_t(abReference.size()), abBloc.data(), dwCapacite);
        Verifie(nBloc != 0 && nBloc <= abReference.size() + 5);
        std::vector<uint8_t> abRetour(abReference.size());
        Verifie(cl.dwDecompression(abBloc.data(), nBloc, abRetour.data(), uint32_t(abRetour.size())) == abReference.size());
        Verifie(abRetour == abReference);
    }
    std::free(pbyBloc);
    return 0;
}
