// Fuzz target of the start-up steps' serialised form, which zvinfoexe --check reads from the pipe of the child that loads a runtime.
//
// The input is read as a line; a line accepted once must be accepted again, with the same
// record, after a round through the writer. The input is also cut into the texts of a record
// that must come back unchanged through the writer and the reader.
#include "launcher/EtapeDemarrage.h"

#include <algorithm>
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

bool Egaux(const _stETAPEDEMARRAGE& a, const _stETAPEDEMARRAGE& b)
{
    return a.eEtape == b.eEtape && a.eIssue == b.eIssue && a.n1 == b.n1 && a.n2 == b.n2 &&
           std::strcmp(a.pszChemin, b.pszChemin) == 0 && std::strcmp(a.pszDetail, b.pszDetail) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    char* p = static_cast<char*>(std::malloc(nSize ? nSize : 1));
    if (nSize)
        std::memcpy(p, pbyData, nSize);
    _stETAPEDEMARRAGE st;
    CTString clChemin, clDetail;
    if (bLitEtapeSerialisee(p, nSize, &st, &clChemin, &clDetail)) {
        Verifie(st.eEtape >= 0 && st.eEtape < eETAPE_NOMBRE && st.eIssue >= 0 && st.eIssue < eISSUE_NOMBRE);
        (void)clTexteEtape(st);
        const CTString clLigne = clSerialiseEtape(st);
        _stETAPEDEMARRAGE st2;
        CTString clChemin2, clDetail2;
        Verifie(bLitEtapeSerialisee(clLigne.pszGet(), static_cast<size_t>(clLigne.nTaille()), &st2, &clChemin2,
                                    &clDetail2));
        Verifie(Egaux(st, st2));
    }
    std::free(p);

    // Texts of any bytes but NUL survive the round.
    std::string s(reinterpret_cast<const char*>(pbyData), nSize);
    s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
    const std::string sChemin = s.substr(0, s.size() / 2), sDetail = s.substr(s.size() / 2);
    const long long n1 = nSize ? static_cast<long long>(pbyData[0]) - 128 : 0;
    const _stETAPEDEMARRAGE stOrigine = {static_cast<eETAPEDEMARRAGE>(nSize % eETAPE_NOMBRE),
                                         static_cast<eISSUEETAPE>(nSize % eISSUE_NOMBRE), sChemin.c_str(),
                                         sDetail.c_str(), n1 * 0x0102030405060LL, -n1};
    const CTString clLigne = clSerialiseEtape(stOrigine);
    Verifie(std::strchr(clLigne.pszGet(), '\n') == nullptr);
    _stETAPEDEMARRAGE stLu;
    Verifie(bLitEtapeSerialisee(clLigne.pszGet(), static_cast<size_t>(clLigne.nTaille()), &stLu, &clChemin, &clDetail));
    Verifie(Egaux(stOrigine, stLu));
    (void)clTexteEtape(stLu);
    return 0;
}
