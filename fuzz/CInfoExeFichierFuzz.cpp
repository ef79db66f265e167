// Fuzz target of zvinfoexe's search for the information block and the data-files field in an
// arbitrary file, of the patching of a field and of the embedding of a library.
//
// Input: the file's bytes. Its last bytes also choose the field patched, the value written and
// the library embedded, so that seeds taken from built executables patch and embed as they are.
#include "tools/zvinfoexe/CInfoExeFichier.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/compress/CCompresseur.h"
#include "base/containers/CSimpleBuffer.h"
#include "fuzz/FuzzScratch.h"
#include "launcher/InfoDll.h"

namespace {

using zvfuzz::Verifie;

bool bMemesOctets(const _stINFOEXE& a, const _stINFOEXE& b, size_t nDebut, size_t nFin)
{
    return std::memcmp(reinterpret_cast<const char*>(&a) + nDebut, reinterpret_cast<const char*>(&b) + nDebut,
                       nFin - nDebut) == 0;
}

// Offset and size in the block of a field; the data-files field lies outside (size 0).
void Place(eCHAMPINFOEXE e, size_t* pnOffset, size_t* pnTaille)
{
    switch (e) {
    case eCHAMP_FRAMEWORK: *pnOffset = offsetof(_stINFOEXE, szNomFramework); *pnTaille = 522; return;
    case eCHAMP_ZVL: *pnOffset = offsetof(_stINFOEXE, szNomZVL); *pnTaille = 261; return;
    case eCHAMP_POSITION: *pnOffset = offsetof(_stINFOEXE, oPositionZVL); *pnTaille = 8; return;
    case eCHAMP_RESTREINT: *pnOffset = offsetof(_stINFOEXE, bRechercheRestreinte); *pnTaille = 4; return;
    case eCHAMP_COMMUN: *pnOffset = offsetof(_stINFOEXE, bFrameworkCommun); *pnTaille = 4; return;
    case eCHAMP_PROJET: *pnOffset = offsetof(_stINFOEXE, szNomProjet); *pnTaille = 281; return;
    case eCHAMP_VERSION: *pnOffset = offsetof(_stINFOEXE, nVersionActive); *pnTaille = 4; return;
    case eCHAMP_REPFICHIERS: *pnOffset = 0; *pnTaille = 0; return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    CInfoExeFichier clFichier;
    CTString clErreur;
    if (!clFichier.bChargeOctets(pbyData, static_cast<unsigned>(nSize), &clErreur)) {
        Verifie(!clErreur.bEstVide());  // every refusal says why
        return 0;
    }
    const unsigned nPosInfo = clFichier.nGetPosInfo();
    const unsigned nPosRep = clFichier.nGetPosRepFichiers();
    Verifie(nPosInfo + sizeof(_stINFOEXE) <= nSize && nPosRep + gnTailleRepFichiers <= nSize);
    // The two fields found never overlap: patching one would spoil the other.
    Verifie(nPosRep + gnTailleRepFichiers <= nPosInfo || nPosInfo + sizeof(_stINFOEXE) <= nPosRep);
    Verifie(bFormeInfoExe(pbyData + nPosInfo));
    clFichier.clAffiche();
    const _stINFOEXE stAvant = clFichier.stGetInfo();
    const CTString clRepAvant = clFichier.clGetRepFichiers();

    // One field patched with a value drawn from the input's tail.
    const uint8_t byChoix = nSize ? pbyData[nSize - 1] : 0;
    const eCHAMPINFOEXE eChamp = static_cast<eCHAMPINFOEXE>(byChoix % 8);
    std::string strValeur;
    if (eChamp == eCHAMP_POSITION || eChamp == eCHAMP_RESTREINT || eChamp == eCHAMP_COMMUN || eChamp == eCHAMP_VERSION) {
        int64_t n = 0;
        std::memcpy(&n, pbyData + (nSize >= 9 ? nSize - 9 : 0), nSize >= 9 ? 8 : 0);
        strValeur = (byChoix & 0x80) ? std::to_string(n) : std::to_string(int32_t(n));
    } else {
        const size_t nLong = byChoix >> 3;  // 0 to 31 characters, up to 600 when repeated
        for (size_t i = 0; i < nLong && i + 2 <= nSize; ++i) {
            const char c = static_cast<char>(pbyData[nSize - 2 - i]);
            strValeur += c ? c : 'z';
        }
        if (byChoix & 0x80)
            while (!strValeur.empty() && strValeur.size() < 600)
                strValeur += strValeur;
    }
    if (clFichier.bSetChamp(eChamp, strValeur.c_str(), &clErreur)) {
        const _stINFOEXE stApres = clFichier.stGetInfo();
        size_t nOffset = 0, nTaille = 0;
        Place(eChamp, &nOffset, &nTaille);
        // Nothing but the field changed.
        if (nTaille) {
            Verifie(bMemesOctets(stAvant, stApres, 0, nOffset));
            Verifie(bMemesOctets(stAvant, stApres, nOffset + nTaille, sizeof(_stINFOEXE)));
        } else {
            Verifie(bMemesOctets(stAvant, stApres, 0, sizeof(_stINFOEXE)));
        }
        // The patched bytes are found again, in the same places, and read back as patched.
        CInfoExeFichier clRelu;
        const CSimpleBuffer& clOctets = clFichier.clGetOctets();
        const bool bRelu = clRelu.bChargeOctets(clOctets.pGetData(), clOctets.dwGetSize(), &clErreur);
        if (!bRelu)
            std::fprintf(stderr, "field %d set to \"%s\", then: %s\n", int(eChamp), strValeur.c_str(), clErreur.pszGet());
        Verifie(bRelu);
        Verifie(clRelu.nGetPosInfo() == nPosInfo && clRelu.nGetPosRepFichiers() == nPosRep);
        const _stINFOEXE stRelu = clRelu.stGetInfo();
        Verifie(std::memcmp(&stApres, &stRelu, sizeof(_stINFOEXE)) == 0);
        switch (eChamp) {
        case eCHAMP_FRAMEWORK: Verifie(strValeur == stRelu.szNomFramework); break;
        case eCHAMP_ZVL: Verifie(strValeur == stRelu.szNomZVL); break;
        case eCHAMP_PROJET: Verifie(strValeur == stRelu.szNomProjet); break;
        case eCHAMP_REPFICHIERS: Verifie(strValeur == clRelu.clGetRepFichiers().pszGet()); break;
        case eCHAMP_POSITION: Verifie(std::to_string(stRelu.oPositionZVL) == strValeur); break;
        case eCHAMP_RESTREINT: Verifie(std::to_string(stRelu.bRechercheRestreinte) == strValeur); break;
        case eCHAMP_COMMUN: Verifie(std::to_string(stRelu.bFrameworkCommun) == strValeur); break;
        case eCHAMP_VERSION: Verifie(std::to_string(stRelu.nVersionActive) == strValeur); break;
        }
        if (eChamp != eCHAMP_REPFICHIERS)
            Verifie(std::strcmp(clRepAvant.pszGet(), clRelu.clGetRepFichiers().pszGet()) == 0);
    } else {
        // A refused value changes nothing.
        const _stINFOEXE stApres = clFichier.stGetInfo();
        Verifie(std::memcmp(&stAvant, &stApres, sizeof(_stINFOEXE)) == 0);
        Verifie(!clErreur.bEstVide());
    }

    // A library embedded behind the bytes: its descriptor names it and gives the block's
    // length, and the block expands to the library.
    const size_t nBib = nSize < 64 ? nSize : 64;
    const unsigned nAvant = clFichier.clGetOctets().dwGetSize();
    unsigned nPosDescripteur = 0, nBloc = 0;
    unsigned char byMethode = 0;
    if (clFichier.bAjouteDLL(pbyData, static_cast<unsigned>(nBib), "lib.so", &nPosDescripteur, &nBloc, &byMethode,
                             &clErreur)) {
        const CSimpleBuffer& clOctets = clFichier.clGetOctets();
        const unsigned char* pab = static_cast<const unsigned char*>(clOctets.pGetData());
        Verifie(nPosDescripteur == nAvant);
        Verifie(size_t(nPosDescripteur) + sizeof(_stINFODLL) + nBloc == clOctets.dwGetSize());
        _stINFODLL stDll;
        std::memcpy(&stDll, pab + nPosDescripteur, sizeof stDll);
        Verifie(std::strcmp(stDll.szNom, "lib.so") == 0 && stDll.dwLongueurCompressee == nBloc);
        const unsigned char* pbyBloc = pab + nPosDescripteur + sizeof(_stINFODLL);
        Verifie(pbyBloc[0] == byMethode);
        const uint32_t nTaille = CCompresseur::ms_clCompresseurZLW.dwTailleDecompression(pbyBloc, nBloc);
        Verifie(nTaille == nBib);
        std::string strSortie(nTaille + 1, '\0');
        CCompresseur clCompresseur(CCompresseurBase::eCOMPRESSEUR_ZLW);
        clCompresseur.m_pEntree = pbyBloc;
        clCompresseur.m_dwEntree = nBloc;
        clCompresseur.m_pSortie = &strSortie[0];
        clCompresseur.m_dwSortie = nTaille;
        Verifie(clCompresseur.dwDecompression(-1) == nTaille);
        Verifie(std::memcmp(strSortie.data(), pbyData, nBib) == 0);
    }
    return 0;
}
